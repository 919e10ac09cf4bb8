// The TDM cross-connect against the simulated "/dev/hal": lazy opening,
// the output table written before each request, the failure lines, and
// the refresh of the outputs held off.
#include "hardware/HwMux.h"
#include "tests/hardware/HalFixture.h"

#include <functional>

namespace {

class CrossConnect : public ::testing::Test {
protected:
    LoopStepper loop_;
    HalBoard board_;
    StreamCapture log_{std::clog};
};

int const output = 8200; // bus 0, timeslot 8

} // namespace

TEST_F(CrossConnect, OpeningSwitchesEveryBusOutputOffAndStartsTheRefresh)
{
    HwMux mux;
    EXPECT_EQ(Strings({"hwMux: init", "hwMux: device opened"}), linesOf(log_.text()));
    Strings requests = board_.requests();
    ASSERT_EQ(2049u, requests.size());
    EXPECT_EQ("open -> ", requests[0].substr(0, 8));
    EXPECT_EQ("disable output=8192 -> 0", requests[1]);
    EXPECT_EQ("disable output=10239 -> 0", requests[2048]);
    for (int i = 0; i < HwMux::trackedOutputs; ++i)
        ASSERT_EQ(HwMux::disabled, mux.entry(i)) << i;
    EXPECT_TRUE(mux.refreshing());
}

TEST_F(CrossConnect, DeviceThatCannotBeOpenedIsTriedAgainOnEveryRequest)
{
    board_.board.set_missing("/dev/hal", true);
    HwMux mux;
    EXPECT_FALSE(mux.refreshing());
    EXPECT_EQ(0xFF, mux.Read(output));
    EXPECT_FALSE(mux.Connect(5, output));
    EXPECT_FALSE(mux.Write(output, 0x55));
    EXPECT_EQ(Strings({"hwMux: init", "hwMux: can't open device: No such file or directory",
                       "hwMux: can't open device: No such file or directory",
                       "hwMux: can't open device: No such file or directory", "hwMux: ERROR not opened",
                       "hwMux: can't open device: No such file or directory"}),
              linesOf(log_.text()));
    EXPECT_EQ(4u, board_.requests("open").size());

    board_.board.set_missing("/dev/hal", false);
    board_.board.clear_log();
    EXPECT_TRUE(mux.Connect(5, output));
    EXPECT_TRUE(mux.refreshing());
    Strings requests = board_.requests();
    ASSERT_EQ(2050u, requests.size());
    EXPECT_EQ("connect output=8200 source=5 -> 0", requests.back());
}

struct Operation {
    char const* what;
    std::function<bool(HwMux&)> run;
    Strings requests;          // "/dev/hal" requests after the open
    int tracked;               // the output whose entry is checked, -1: none
    std::uint16_t entry;
    Strings failure;           // the log lines when the device refuses
};

void PrintTo(Operation const& op, std::ostream* out)
{
    *out << op.what;
}

class CrossConnectOperations : public CrossConnect, public ::testing::WithParamInterface<Operation> {};

TEST_P(CrossConnectOperations, IssueTheirRequestRecordTheStateFirstAndLogARefusal)
{
    Operation const& op = GetParam();
    board_.hal.drive(output, 0x3C);
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "accepted");
        HwMux mux;
        board_.board.clear_log();
        log_.clear();
        if (refused)
            board_.board.fail_always("/dev/hal");
        EXPECT_EQ(!refused, op.run(mux));
        // A refused request never reaches the model, which names it.
        if (refused)
            EXPECT_EQ(op.requests.size(), board_.requests().size());
        else
            EXPECT_EQ(op.requests, board_.requests());
        if (op.tracked >= 0) {
            EXPECT_EQ(op.entry, mux.entry(op.tracked - HwMux::firstTracked));
        }
        EXPECT_EQ(refused ? op.failure : Strings{}, linesOf(log_.text()));
        board_.board.clear_failures("/dev/hal");
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachOperation, CrossConnectOperations,
    ::testing::Values(
        Operation{"connect", [](HwMux& m) { return m.Connect(5, output); }, {"connect output=8200 source=5 -> 0"},
                  output, 5, {"hwMux: connect 5 -> 8200 failed: Input/output error"}},
        Operation{"disconnect", [](HwMux& m) { return m.Disconnect(output); },
                  {"constant output=8200 byte=0xD5 -> 0"}, output, HwMux::constant,
                  {"hwMux: disconnect failed 8200 : Input/output error"}},
        Operation{"disable", [](HwMux& m) { return (m.Connect(7, output), m.Disable(output)); },
                  {"connect output=8200 source=7 -> 0", "disable output=8200 -> 0"}, output, HwMux::disabled,
                  {"hwMux: connect 7 -> 8200 failed: Input/output error",
                   "hwMux: disable failed 8200 : Input/output error"}},
        Operation{"write", [](HwMux& m) { return m.Write(output, 0x5A); }, {"constant output=8200 byte=0x5A -> 0"},
                  output, HwMux::constant, {"hwMux: write failed 8200 <- 0x5a : Input/output error"}},
        Operation{"read", [](HwMux& m) { return m.Read(output) == 0x3C; }, {"read channel=8200 byte=0x3C -> 0"}, -1,
                  0, {"hwMux: read failed 8200 -> 0xff : Input/output error"}},
        Operation{"untracked", [](HwMux& m) { return m.Disable(100); }, {"disable output=100 -> 0"}, -1, 0,
                  {"hwMux: disable failed 100 : Input/output error"}},
        Operation{"last tracked", [](HwMux& m) { return m.Connect(9, 10239); },
                  {"connect output=10239 source=9 -> 0"}, 10239, 9,
                  {"hwMux: connect 9 -> 10239 failed: Input/output error"}}),
    [](auto const& info) {
        std::string name = info.param.what;
        for (auto& c : name)
            if (c == ' ')
                c = '_';
        return name;
    });

TEST_F(CrossConnect, NumbersThatCannotBeChannelsAreRefusedWithoutARequest)
{
    HwMux mux;
    board_.board.clear_log();
    log_.clear();
    EXPECT_FALSE(mux.Connect(-1, output));
    EXPECT_FALSE(mux.Connect(5, -1));
    EXPECT_FALSE(mux.Disconnect(-1));
    EXPECT_FALSE(mux.Disable(-1));
    EXPECT_FALSE(mux.Write(-1, 0));
    EXPECT_EQ(0xFF, mux.Read(-1));
    EXPECT_EQ(Strings(2, "hwMux: ERROR not opened"), linesOf(log_.text()));
    EXPECT_EQ(Strings{}, board_.requests());
    EXPECT_EQ(HwMux::disabled, mux.entry(output - HwMux::firstTracked));
}

TEST_F(CrossConnect, OnlyATrackedOutputRefusesASourceItsTableWouldTakeForAMark)
{
    struct Case {
        int src;
        int dst;
        bool refused;
    } const cases[] = {
        {0xFFFD, output, false}, // the largest source a table entry holds
        {0xFFFE, output, true},  // would read as "constant"
        {0xFFFF, output, true},  // would read as "off", and be switched off by the refresh
        {0x10000, 10239, true},
        {0xFFFF, 100, false},    // below the tracked outputs
        {0xFFFF, 10240, false},  // above them
        {0x7FFFFFFF, 10240, false},
    };
    for (Case const& c : cases) {
        std::string const what = std::to_string(c.src) + " -> " + std::to_string(c.dst);
        SCOPED_TRACE(what);
        HwMux mux;
        board_.board.clear_log();
        log_.clear();
        EXPECT_EQ(!c.refused, mux.Connect(c.src, c.dst));
        if (c.refused) {
            EXPECT_EQ(Strings{"hwMux: connect " + what + " refused: source out of range for a tracked output"},
                      linesOf(log_.text()));
            EXPECT_EQ(Strings{}, board_.requests());
            EXPECT_EQ(HwMux::disabled, mux.entry(c.dst - HwMux::firstTracked));
        } else {
            EXPECT_EQ(Strings{}, linesOf(log_.text()));
            EXPECT_EQ(Strings{"connect output=" + std::to_string(c.dst) + " source=" +
                              std::to_string(static_cast<std::uint32_t>(c.src)) + " -> 0"},
                      board_.requests());
        }
    }
    HwMux mux;
    ASSERT_TRUE(mux.Connect(0xFFFD, output));
    EXPECT_EQ(0xFFFD, mux.entry(output - HwMux::firstTracked));
}

TEST_F(CrossConnect, RefreshVisits128OutputsARunAndOutput8192LastInEachCycle)
{
    HwMux mux;
    EXPECT_TRUE(mux.Connect(3, 8300));
    EXPECT_TRUE(mux.Write(8301, 0x11));
    board_.board.clear_log();
    for (int run = 1; run <= 16; ++run) {
        mux.OnDPC();
        Strings requests = board_.requests();
        board_.board.clear_log();
        int const first = 8192 + 128 * (run - 1) + 1;
        bool const holdsConnected = first <= 8300 && 8301 < first + 128;
        ASSERT_EQ(holdsConnected ? 126u : 128u, requests.size()) << run;
        EXPECT_EQ("disable output=" + std::to_string(first) + " -> 0", requests.front());
        EXPECT_EQ(run == 16 ? "disable output=8192 -> 0" : "disable output=" + std::to_string(first + 127) + " -> 0",
                  requests.back());
    }
    // Switched off again, the output is refreshed again.
    EXPECT_TRUE(mux.Disable(8300));
    board_.board.clear_log();
    for (int run = 1; run <= 16; ++run)
        mux.OnDPC();
    EXPECT_EQ(2047u, board_.requests().size());
}

TEST_F(CrossConnect, RefreshRunsFromTheMainLoopWhileTheDeviceIsOpen)
{
    HwMux mux;
    board_.board.clear_log();
    loop_.pass();
    // The deferred call runs twice a pass.
    Strings requests = board_.requests();
    ASSERT_EQ(256u, requests.size());
    EXPECT_EQ("disable output=8193 -> 0", requests.front());
    EXPECT_EQ("disable output=8448 -> 0", requests.back());
}
