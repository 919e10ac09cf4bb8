// The backplane bus test through a control server, over the cross-connect
// on the simulated "/dev/hal": the pattern of srandom(seed)/random(), the
// run of channels across a bus boundary, and the failure answers.
#include "hardware/HwMux.h"
#include "hardware/HwTests.h"
#include "tests/hardware/HalFixture.h"
#include "support/BusPattern.h"
#include "support/HexText.h"

#include <cstdlib>

namespace {

class BusTest : public HalServiceTest {
protected:
    void SetUp() override
    {
        mux_ = std::make_unique<HwMux>();
        connect({&make<HwTests>(mux_.get())});
        board_.board.clear_log();
    }

    // Sends testBpc and returns the answer.
    std::string test(char const* mode, unsigned bus, int seed, unsigned start, unsigned length)
    {
        deliver("{ seq 1, pdu command : testBpc : { bus " + std::to_string(bus) + ", seed " + std::to_string(seed) +
                ", mode " + mode + " : NULL, timeslot-start " + std::to_string(start) + ", timeslot-length " +
                std::to_string(length) + " } }");
        Strings answers = received();
        return answers.size() == 1 ? answers[0] : "answers: " + std::to_string(answers.size());
    }

    // The first n bytes of the pattern the controller derives from seed.
    std::unique_ptr<HwMux> mux_;
};

// The cross-connect cannot be opened.
class ClosedBusTest : public BusTest {
protected:
    void SetUp() override
    {
        board_.board.set_missing("/dev/hal", true);
        BusTest::SetUp();
    }
};

std::string const success = "{ seq 1, pdu response : success : NULL }";
std::string const busError = "{ seq 1, pdu response : error : busError }";

// Bus 2 from timeslot 120 for 16 channels: 8568..8583, the last eight on bus 3.
unsigned const bus = 2, start = 120, length = 16;
int const firstChannel = 8568;
int const seed = 4711;

} // namespace

TEST_F(BusTest, WriteDrivesThePatternAcrossTheBusBoundaryAndReadsItBack)
{
    EXPECT_EQ(success, test("write", bus, seed, start, length));
    std::vector<unsigned> bytes = busTestPattern(static_cast<unsigned>(seed), length);
    Strings requests = board_.requests();
    ASSERT_EQ(2 * length, requests.size());
    for (unsigned k = 0; k < length; ++k) {
        std::string const ch = std::to_string(firstChannel + static_cast<int>(k));
        EXPECT_EQ("constant output=" + ch + " byte=0x" + hexOctet(bytes[k]) + " -> 0", requests[k]);
        EXPECT_EQ("read channel=" + ch + " byte=0x" + hexOctet(bytes[k]) + " -> 0", requests[length + k]);
    }
    EXPECT_EQ(Sim::HalDevice::Output::constant, hal_.output(8583));
    EXPECT_EQ("", errors_.text());

    // The same seed gives the same pattern: a read test now finds it.
    board_.board.clear_log();
    EXPECT_EQ(success, test("read", bus, seed, start, length));
    EXPECT_EQ(length, board_.requests("read").size());
    EXPECT_EQ(Strings{}, board_.requests("constant"));
}

TEST_F(BusTest, ReadFindsThePatternAnotherBoardDrives)
{
    std::vector<unsigned> bytes = busTestPattern(static_cast<unsigned>(seed), length);
    for (unsigned k = 0; k < length; ++k)
        hal_.drive(static_cast<std::uint32_t>(firstChannel) + k, static_cast<std::uint8_t>(bytes[k]));
    EXPECT_EQ(success, test("read", bus, seed, start, length));
    // Not driven: the idle bus reads 0xFF, which the pattern of another seed does not hold.
    EXPECT_EQ(busError, test("read", bus, seed + 1, start, length));
}

TEST_F(BusTest, AStuckByteIsABusErrorReportedByTimeslot)
{
    std::vector<unsigned> bytes = busTestPattern(static_cast<unsigned>(seed), length);
    unsigned const stuckAt = 12; // channel 8580, timeslot 4 of bus 3
    unsigned const stuckByte = bytes[stuckAt] ^ 0x5A;
    hal_.stick(8580, static_cast<std::uint8_t>(stuckByte));

    EXPECT_EQ(busError, test("write", bus, seed, start, length));
    EXPECT_EQ(Strings{"bus 2: write failed on channel 4 write " + hexOctet(bytes[stuckAt]) + " written " +
                      hexOctet(stuckByte) + " "},
              linesOf(errors_.text()));
    // The comparison stops at the first difference.
    EXPECT_EQ(stuckAt + 1, board_.requests("read").size());

    errors_.clear();
    EXPECT_EQ(busError, test("read", bus, seed, start, length));
    EXPECT_EQ(Strings{"bus 2: test failed on channel 4 expected " + hexOctet(bytes[stuckAt]) + " read " +
                      hexOctet(stuckByte) + " "},
              linesOf(errors_.text()));
}

TEST_F(BusTest, DisconnectSwitchesTheRunOff)
{
    EXPECT_EQ(success, test("write", bus, seed, start, length));
    board_.board.clear_log();
    EXPECT_EQ(success, test("disconnect", bus, seed, start, length));
    Strings requests = board_.requests();
    ASSERT_EQ(length, requests.size());
    EXPECT_EQ("disable output=8568 -> 0", requests.front());
    EXPECT_EQ("disable output=8583 -> 0", requests.back());
    for (int ch = firstChannel; ch < firstChannel + static_cast<int>(length); ++ch)
        EXPECT_EQ(HwMux::disabled, mux_->entry(ch - HwMux::firstTracked));
}

TEST_F(BusTest, ARunPastTheLastBusGoesOnIntoUntrackedChannels)
{
    // Bus 15 from timeslot 127 for 127 channels: 10239..10365, all but the
    // first beyond the tracked outputs.
    unsigned const runLength = 127;
    EXPECT_EQ(success, test("write", 15, seed, 127, runLength));
    std::vector<unsigned> bytes = busTestPattern(static_cast<unsigned>(seed), runLength);
    Strings writes = board_.requests("constant");
    ASSERT_EQ(runLength, writes.size());
    EXPECT_EQ("constant output=10239 byte=0x" + hexOctet(bytes.front()) + " -> 0", writes.front());
    EXPECT_EQ("constant output=10365 byte=0x" + hexOctet(bytes.back()) + " -> 0", writes.back());
    EXPECT_EQ(runLength, board_.requests("read").size());
    EXPECT_EQ(HwMux::constant, mux_->entry(HwMux::trackedOutputs - 1));
    EXPECT_EQ(Sim::HalDevice::Output::constant, hal_.output(10365));

    board_.board.clear_log();
    EXPECT_EQ(success, test("disconnect", 15, seed, 127, runLength));
    EXPECT_EQ("disable output=10365 -> 0", board_.requests().back());
    EXPECT_EQ(HwMux::disabled, mux_->entry(HwMux::trackedOutputs - 1));
}

TEST_F(BusTest, AnEmptyRunSucceedsInEveryModeWithoutARequest)
{
    for (char const* mode : {"read", "write", "disconnect"})
        EXPECT_EQ(success, test(mode, 15, seed, 127, 0)) << mode;
    EXPECT_EQ(Strings{}, board_.requests());
}

TEST_F(ClosedBusTest, WithoutTheCrossConnectEveryChannelReads0xFF)
{
    // A seed whose pattern starts with 0xFF passes the first channel; the
    // write test then fails on the first byte that is not 0xFF.
    int ffSeed = 0;
    while (busTestPattern(static_cast<unsigned>(ffSeed), 1)[0] != 0xFF)
        ++ffSeed;
    std::vector<unsigned> bytes = busTestPattern(static_cast<unsigned>(ffSeed), 2);
    ASSERT_NE(0xFFu, bytes[1]);
    EXPECT_EQ(busError, test("write", 0, ffSeed, 10, 5));
    EXPECT_EQ(Strings{"bus 0: write failed on channel 11 write " + hexOctet(bytes[1]) + " written FF "},
              linesOf(errors_.text()));
}
