// server-sim end to end: a controller on the control link and the board
// scripted through the simulator's control socket. Board tests over the
// simulated bus, the bus clock with and without --disable-clock, the SPI
// channels' trunkStatus every second and their registers at stop, and
// injected device failures.
#include "protocol/asn1/notation/ValueNotation.h"
#include "protocol/schemas/ZUZU.h"
#include "support/BusPattern.h"
#include "support/HexText.h"
#include "support/ServerSimSession.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using namespace e2e;

namespace {

using ServerSim = ServerSimSession;

std::string bpc(unsigned bus, unsigned seed, char const* mode, unsigned start, unsigned length)
{
    std::ostringstream text;
    text << "{ seq 1, pdu command : testBpc : { bus " << bus << ", seed " << seed << ", mode " << mode
         << " : NULL, timeslot-start " << start << ", timeslot-length " << length << " } }";
    return text.str();
}


char const* const success = "{ seq 1, pdu response : success : NULL }";
char const* const busError = "{ seq 1, pdu response : error : busError }";

std::string trunkStatus(unsigned trunk, char const* state, unsigned slips)
{
    std::ostringstream text;
    text << "{ pdu signal : trunkStatus : { trunk " << trunk << ", state " << state << ", slips " << slips
         << ", lossBF 0, lossCarrier 0, lossAIS 0, lossRAI 0, name \"\", clockMaster FALSE, type bri } }";
    return text.str();
}

} // namespace

TEST_F(ServerSim, BoardTestsWriteReadAndSwitchOffTheBus)
{
    start();
    connect();

    // Write and read back through the cross-connect, then switch off.
    EXPECT_EQ(success, ask(bpc(0, 7, "write", 0, 8)));
    EXPECT_EQ(0u, sim("hal show 8195").find("channel=8195 output=constant 0x" + hexOctet(busTestPattern(7, 8)[3]) + " "));
    EXPECT_EQ(success, ask(bpc(0, 7, "disconnect", 0, 8)));
    EXPECT_EQ(0u, sim("hal show 8195").find("channel=8195 output=off"));

    // Another party drives the pattern on bus 1 from timeslot 120 on, over
    // the end of the bus into bus 2.
    std::vector<unsigned> bytes = busTestPattern(11, 16);
    for (unsigned k = 0; k < bytes.size(); ++k)
        sim("hal drive " + std::to_string(8192 + 128 + 120 + k) + " " + std::to_string(bytes[k]));
    EXPECT_EQ(success, ask(bpc(1, 11, "read", 120, 16)));

    // It stops driving the 13th channel (timeslot 4 of bus 2): the idle bus
    // reads 0xFF there.
    ASSERT_NE(0xFFu, bytes[12]);
    sim("hal undrive " + std::to_string(8192 + 128 + 120 + 12));
    EXPECT_EQ(busError, ask(bpc(1, 11, "read", 120, 16)));
    EXPECT_TRUE(server_.errShows("bus 1: test failed on channel 4 expected " + hexOctet(bytes[12]) + " read FF \n"));

    // A byte stuck at 0x00 on bus 0 timeslot 3 fails the write test.
    ASSERT_NE(0u, busTestPattern(7, 8)[3]);
    sim("hal stuck 8195 0");
    EXPECT_EQ(busError, ask(bpc(0, 7, "write", 0, 8)));
    EXPECT_TRUE(server_.errShows("bus 0: write failed on channel 3 write " + hexOctet(busTestPattern(7, 8)[3]) + " written 00 \n"));
}

TEST_F(ServerSim, ClockCfgSelectsTheSource)
{
    start();
    connect();
    // The controller's connection selected the free-running clock.
    EXPECT_EQ("clock source=4\n", sim("hal clock"));
    EXPECT_EQ(success, ask("{ seq 1, pdu command : clockCfg : { clkSel0 external, bextEn enabled, source 2 } }"));
    EXPECT_EQ("clock source=2\n", sim("hal clock"));
    EXPECT_TRUE(server_.errShows("clkctl: clock source = f2\n"));
    EXPECT_EQ(success, ask("{ seq 1, pdu command : clockCfg : { clkSel0 external, bextEn disabled, source 0 } }"));
    EXPECT_EQ("clock source=5\n", sim("hal clock"));
}

TEST_F(ServerSim, ClockCfgIsRefusedWithDisableClock)
{
    start({"--disable-clock"});
    connect();
    EXPECT_EQ("{ seq 1, pdu response : error : unsupported }",
              ask("{ seq 1, pdu command : clockCfg : { clkSel0 external, bextEn enabled, source 2 } }"));
    EXPECT_EQ("clock source=-1\n", sim("hal clock"));
    EXPECT_EQ(std::string::npos, sim("log").find("clock-select"));
    EXPECT_TRUE(server_.errShows("clock control disabled.\n"));
}

TEST_F(ServerSim, SpiChannelsReportTheirStatusEverySecondWhileTheControllerIsConnected)
{
    start();
    // Status register values of channels 0..7 and what they report; channel
    // 6 has a slip, counted once while it lasts.
    struct Channel {
        unsigned status;
        char const* state;
    };
    Channel const channels[8] = {{0xC5, "normal"}, {0x85, "rai"},        {0x45, "ais"},    {0x05, "ais"},
                                 {0x04, "lossCarrier"}, {0x01, "lossBF"}, {0xE5, "normal"}, {0x00, "lossCarrier"}};
    for (unsigned ch = 0; ch < 8; ++ch)
        sim("hal spi-status " + std::to_string(ch) + " " + std::to_string(channels[ch].status));
    auto connectedAt = Clock::now();
    connect();

    // The E1 trunks report too; only the SPI channels' signals count here.
    std::vector<Received> got;
    while (got.size() < 16) {
        Received received = next();
        ASSERT_NE("", received.text) << "signal " << got.size();
        ASSERT_NE("closed", received.text) << "signal " << got.size();
        if (received.text.find("type bri") != std::string::npos)
            got.push_back(received);
    }
    for (unsigned pass = 0; pass < 2; ++pass)
        for (unsigned ch = 0; ch < 8; ++ch)
            EXPECT_EQ(trunkStatus(ch, channels[ch].state, ch == 6 && pass == 0 ? 1 : 0), got[8 * pass + ch].text)
                << "pass " << pass;
    // A pass every second, the first one second after the connection.
    auto firstGap = std::chrono::duration_cast<milliseconds>(got[0].at - connectedAt);
    auto gap = std::chrono::duration_cast<milliseconds>(got[8].at - got[0].at);
    EXPECT_GE(firstGap.count(), 800);
    EXPECT_GE(gap.count(), 800);
    EXPECT_LE(gap.count(), patience(milliseconds(1500)).count());

    // After the controller has gone no register is read any more, while the
    // server's loop runs on well past the next status pass. The loop's own
    // time comes with its watchdog words, so a slow machine (or emulator)
    // only makes the wait longer.
    controller_.close();
    ASSERT_TRUE(server_.errShows("closed.\n"));
    sim("log clear");
    auto loopTime = [this] {
        std::string const words = sim("watchdog");
        std::size_t const last = words.rfind('\n', words.size() > 1 ? words.size() - 2 : 0);
        return std::strtoull(words.c_str() + (last == std::string::npos ? 0 : last + 1), nullptr, 10);
    };
    unsigned long long const closedAt = loopTime();
    ASSERT_NE(0u, closedAt);
    EXPECT_TRUE(eventually([&] { return loopTime() >= closedAt + 2100; }, patience(milliseconds(10000))));
    EXPECT_EQ(std::string::npos, sim("log").find("spi-read"));
}

TEST_F(ServerSim, StoppingDisablesEverySpiChannelAndLeavesNoClockMaster)
{
    start();
    connect();
    sim("log clear");
    EXPECT_EQ(0, exitCode(server_.stop()));

    // What the server wrote to the line interfaces' registers on its way
    // out, in order: every channel's control register to "disabled", then
    // every channel's clock register to "not clock master".
    std::vector<std::string> writes;
    std::istringstream requests(server_.root().read("/var/run/server-sim.log"));
    for (std::string line; std::getline(requests, line);)
        if (line.find(" spi-write ") != std::string::npos)
            writes.push_back(line);
    std::vector<std::string> expected;
    for (char const* registerValue : {"register=50 value=128", "register=87 value=48"})
        for (unsigned ch = 0; ch < 8; ++ch)
            expected.push_back("/dev/hal spi-write channel=" + std::to_string(ch) + " " + registerValue + " -> 0");
    EXPECT_EQ(expected, writes);
    EXPECT_TRUE(server_.errShows("spi: disable channel 7\nspi: clock master disabled\n"));
}

TEST_F(ServerSim, ControlSocketInjectsDeviceFailures)
{
    start();
    connect();
    sim("fail hal always");
    EXPECT_EQ(busError, ask("{ seq 1, pdu command : clockCfg : { clkSel0 internal, bextEn disabled, source 0 } }"));
    EXPECT_TRUE(server_.errShows("clkctl: HW_CLOCK_SELECT fail.\n"));
    EXPECT_NE(std::string::npos, sim("log").find("/dev/hal clock-select source=4 -> EIO"));
    sim("fail hal off");
    EXPECT_EQ(success, ask("{ seq 1, pdu command : clockCfg : { clkSel0 internal, bextEn disabled, source 0 } }"));

    // A hal without SPI: the first status pass finds out and nothing is
    // reported.
    sim("hal no-spi on");
    EXPECT_TRUE(server_.errShows("spi: hal without spi\n"));
    // (The E1 trunks go on reporting.)
    for (auto until = Clock::now() + milliseconds(1500); Clock::now() < until;)
        EXPECT_EQ(std::string::npos, next(milliseconds(100)).text.find("type bri"));

    std::string reply;
    EXPECT_EQ(Sim::ControlClient::refused, board_.ask("fail nosuch next 1", reply));
    EXPECT_EQ("error: fail: unknown device: nosuch\n", reply);
}
