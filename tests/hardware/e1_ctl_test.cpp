// The E1 service against the simulated maintenance and CAS drivers, bound to
// a control server whose controller sits on a loopback connection: the
// trunk status cadence on the test clock, the TCLK mask, the CAS commands
// with their signals in order, the requests byte for byte and the log lines.
#include "hardware/E1Ctl.h"
#include "hardware/device/BigEndian.h"
#include "protocol/CtrlSrvServer.h"
#include "sim/BoardModels.h"
#include "sim/CasDevice.h"
#include "sim/MaintenanceDevice.h"
#include "support/ControllerLoopback.h"
#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"
#include "support/RawDeviceLog.h"

#include <gtest/gtest.h>

namespace {

using ctrltest::LoopbackLink;
using ctrltest::encode;
using ctrltest::readMessage;
using Strings = std::vector<std::string>;

// Bound after the E1 service: sees every signal it sends.
class SignalJournal : public CtrlSrv::Service {
public:
    void OnConnect() override {}
    void OnDisconnect() override {}
    bool OnCommand(ZUZU::Command const&) override { return false; }
    void OnSignal(ZUZU::Signal const& signal) override { signals.push_back(oneLine(signal)); }

    Strings take()
    {
        Strings taken;
        taken.swap(signals);
        return taken;
    }

    Strings signals;
};

std::string status(int trunk, char const* state = "normal", int slips = 0, int bf = 0, int carrier = 0, int ais = 0,
                   int rai = 0)
{
    return "trunkStatus : { trunk " + std::to_string(trunk) + ", state " + state + ", slips " +
           std::to_string(slips) + ", lossBF " + std::to_string(bf) + ", lossCarrier " + std::to_string(carrier) +
           ", lossAIS " + std::to_string(ais) + ", lossRAI " + std::to_string(rai) +
           ", name \"\", clockMaster FALSE, type e1 }";
}

std::string cas(int trunk, int timeslot, int rx, int tx)
{
    return "cas : { channel { path " + std::to_string(trunk) + ", timeslot " + std::to_string(timeslot) + " }, rx " +
           std::to_string(rx) + ", tx " + std::to_string(tx) + " }";
}

Strings allStatus()
{
    return {status(0), status(1), status(2), status(3)};
}

char const* const success = "{ pdu response : success : NULL }";

class E1Service : public ::testing::Test {
protected:
    explicit E1Service(std::unique_ptr<Sim::SimulatedBoard> board = Sim::makeBoard()) : board_(std::move(board))
    {
        Board::install(board_.get());
        server_.Bind(&e1_);
        server_.Bind(&journal_);
    }
    ~E1Service() override
    {
        server_.Deactivate();
        Board::install(nullptr);
    }

    void connect()
    {
        link_ = new LoopbackLink;
        ASSERT_TRUE(server_.Activate(link_));
        link_->connectController();
        stepper_.pass();
        connectSignals_ = link_->received();
    }

    // Delivers a command in value notation; returns the answers.
    Strings command(std::string const& text)
    {
        std::vector<char> bytes = encode(readMessage("{ pdu command : " + text + " }"));
        server_.OnMessage(bytes.data(), static_cast<int>(bytes.size()));
        return link_->received();
    }
    Strings casCommand(int trunk, int timeslot, std::string const& cmd)
    {
        return command("ioctl : cas : { channel { path " + std::to_string(trunk) + ", timeslot " +
                       std::to_string(timeslot) + " }, cmd " + cmd + " }");
    }

    Strings requests(std::string const& path)
    {
        Strings lines;
        for (Sim::LogEntry const& entry : board_->log_of(path)) {
            std::ostringstream line;
            line << entry;
            lines.push_back(line.str().substr(path.size() + 1));
        }
        board_->clear_log();
        return lines;
    }

    Sim::MaintenanceDevice& maintenance() { return *board_->model<Sim::MaintenanceDevice>("/dev/maintenance"); }
    Sim::CasDevice& casDevice() { return *board_->model<Sim::CasDevice>("/dev/e1-cas"); }

    std::unique_ptr<Sim::SimulatedBoard> board_;
    LoopStepper stepper_;
    StreamCapture log_{std::clog};
    StreamCapture errors_{std::cerr};
    E1Ctl e1_;
    SignalJournal journal_;
    CtrlSrv::Server server_;
    LoopbackLink* link_ = nullptr;
    Strings connectSignals_; // what reached the controller at connect
    std::ostringstream replies_; // of the board's control lines
};

} // namespace

TEST_F(E1Service, ConnectReportsEveryTrunkAtOnceAndThenEverySecondAlsoAfterTheController)
{
    connect();
    EXPECT_EQ(allStatus(), journal_.take());
    Strings opened = requests("/dev/maintenance");
    ASSERT_EQ(6u, opened.size());
    EXPECT_EQ(Strings({"status trunk=0 -> 0", "status trunk=1 -> 0", "status trunk=2 -> 0", "status trunk=3 -> 0",
                       "tclk mask=0x0 -> 0"}),
              Strings(opened.begin() + 1, opened.end()));
    EXPECT_EQ("ctrl [10.1.2.3:4000]: controller connect.\nE1: TCLT = 0x0\nE1: cas interface opened!\n", log_.text());
    EXPECT_EQ(4u, connectSignals_.size());

    stepper_.advance(999);
    EXPECT_TRUE(journal_.take().empty());
    stepper_.advance(1);
    EXPECT_EQ(allStatus(), journal_.take());
    stepper_.advance(1000);
    EXPECT_EQ(allStatus(), journal_.take());

    // A reconnect re-arms the one timer: no second cadence.
    server_.OnDisconnect();
    server_.OnConnect();
    EXPECT_EQ(allStatus(), journal_.take());
    stepper_.advance(1000);
    EXPECT_EQ(allStatus(), journal_.take());

    server_.Deactivate();
    stepper_.advance(1000);
    EXPECT_EQ(allStatus(), journal_.take());
}

TEST_F(E1Service, StatusRecordsBecomeSignalsAndStatesWithoutANameAreUnknown)
{
    struct Case {
        std::uint32_t state;
        char const* name;
    } const cases[] = {{0, "normal"}, {1, "lossBF"},  {2, "lossCarrier"}, {3, "ais"},         {4, "rai"},
                       {5, "unknown"}, {6, "disabled"}, {7, "unknown"},    {0xFFFFFFFF, "unknown"}};
    connect();
    journal_.take();
    for (Case const& c : cases) {
        maintenance().set_status(2, {c.state, 1, 2, 3, 4, 5});
        stepper_.advance(1000);
        Strings signals = journal_.take();
        ASSERT_EQ(4u, signals.size());
        EXPECT_EQ(status(2, c.name, 1, 2, 3, 4, 5), signals[2]) << c.state;
    }
}

TEST_F(E1Service, AFailedStatusReadSkipsThatTrunkAndAMissingDeviceIsSilent)
{
    board_->set_missing("/dev/maintenance", true);
    connect();
    EXPECT_TRUE(journal_.take().empty());
    EXPECT_EQ("", errors_.text());

    board_->set_missing("/dev/maintenance", false);
    board_->fail_next("/dev/maintenance", 1, EIO);
    stepper_.advance(1000);
    EXPECT_EQ(Strings({status(1), status(2), status(3)}), journal_.take());
    EXPECT_EQ("E1: synchronization status read fail, trunk = 0 cause = Input/output error\n", errors_.text());
}

TEST_F(E1Service, TrunkCfgKeepsTheTclkMaskOfTheTimingSlaves)
{
    struct Case {
        char const* cfg;
        char const* request; // "" when nothing is written
        std::uint32_t mask;
    } const cases[] = {
        {"{ trunk 2, mode slave }", "tclk mask=0x4 -> 0", 0x4},
        {"{ trunk 0, mode slave }", "tclk mask=0x5 -> 0", 0x5},
        {"{ trunk 2, mode master }", "tclk mask=0x1 -> 0", 0x1},
        {"{ trunk 31, mode slave }", "tclk mask=0x80000001 -> 0", 0x80000001},
        // No bit for these: nothing changes, nothing is written.
        {"{ trunk 32, mode slave }", "", 0x80000001},
        {"{ trunk 1000, mode master }", "", 0x80000001},
        {"{ trunk -1, mode slave }", "", 0x80000001},
    };
    connect();
    requests("/dev/maintenance");
    for (Case const& c : cases) {
        log_.clear();
        EXPECT_EQ(Strings{success}, command(std::string("trunkCfg : ") + c.cfg)) << c.cfg;
        Strings written = requests("/dev/maintenance");
        EXPECT_EQ(*c.request ? Strings{c.request} : Strings{}, written) << c.cfg;
        EXPECT_EQ(c.mask, maintenance().tclk_mask()) << c.cfg;
        if (*c.request) {
            std::ostringstream line;
            line << "E1: TCLT = 0x" << std::hex << c.mask << '\n';
            EXPECT_EQ(line.str(), log_.text()) << c.cfg;
        }
    }
    // Every connect starts from no slaves.
    server_.OnConnect();
    EXPECT_EQ(0u, maintenance().tclk_mask());

    board_->fail_next("/dev/maintenance", 1, EIO);
    command("trunkCfg : { trunk 3, mode slave }");
    EXPECT_EQ("E1: fail to set TCLK [cause=Input/output error]\n", errors_.text());
}

TEST_F(E1Service, CasOpenSetGetAndCloseAreSignalledInOrder)
{
    connect();
    journal_.take();
    requests("/dev/e1-cas");
    log_.clear();

    // The controller sees the signals before the answer.
    EXPECT_EQ(Strings({"{ pdu signal : " + cas(1, 0, 0, 0) + " }", "{ pdu signal : " + cas(1, 3, 0, 0) + " }", success}),
              casCommand(1, 3, "open : 21"));
    EXPECT_EQ(Strings({cas(1, 0, 0, 0), cas(1, 3, 0, 0)}), journal_.take());
    EXPECT_EQ(Strings({"open-trunk trunk=1 -> 0", "configure trunk=1 timeslot=3 code=5 open -> 0",
                       "get trunk=1 timeslot=3 -> 0"}),
              requests("/dev/e1-cas"));
    EXPECT_EQ("E1: open cas signalling on trunk(1) - ok\n", log_.text());
    EXPECT_TRUE(e1_.cas_open(1));

    // Already open: reported on timeslot 0 without a request; timeslot 16
    // is never a channel.
    casCommand(1, 16, "open : 2");
    EXPECT_EQ(Strings{cas(1, 0, 0, 0)}, journal_.take());
    EXPECT_TRUE(requests("/dev/e1-cas").empty());

    casCommand(1, 3, "set : 25");
    EXPECT_EQ(Strings{cas(1, 3, 0, 9)}, journal_.take());
    EXPECT_EQ(Strings({"set trunk=1 timeslot=3 value=9 -> 0", "get trunk=1 timeslot=3 -> 0"}),
              requests("/dev/e1-cas"));

    // The far end changes its bits.
    board_->control("e1-cas rx 1 3 6", replies_);
    stepper_.pass();
    EXPECT_EQ(Strings{cas(1, 3, 6, 9)}, journal_.take());

    casCommand(1, 3, "get : NULL");
    EXPECT_EQ(Strings{cas(1, 3, 6, 9)}, journal_.take());
    EXPECT_EQ(Strings{"get trunk=1 timeslot=3 -> 0"}, requests("/dev/e1-cas"));

    casCommand(1, 3, "close : NULL");
    EXPECT_EQ(Strings{cas(1, 3, -1, 1)}, journal_.take());
    EXPECT_EQ(Strings{"configure trunk=1 timeslot=3 code=0 close -> 0"}, requests("/dev/e1-cas"));

    // Closing the trunk: the driver's 0 is reported as 1.
    casCommand(1, 0, "close : NULL");
    EXPECT_EQ(Strings{cas(1, 0, 1, 0)}, journal_.take());
    EXPECT_EQ(Strings{"close-trunk trunk=1 -> 0"}, requests("/dev/e1-cas"));
    EXPECT_FALSE(e1_.cas_open(1));
    EXPECT_FALSE(casDevice().trunk_open(1));

    // A closed trunk takes no set, get or close.
    casCommand(1, 3, "set : 1");
    casCommand(1, 3, "get : NULL");
    casCommand(1, 0, "close : NULL");
    EXPECT_TRUE(journal_.take().empty());
    EXPECT_TRUE(requests("/dev/e1-cas").empty());
}

TEST_F(E1Service, CasCommandsForTrunksBeyondTheFourOrOtherIoctlsDoNothingButAreAnswered)
{
    connect();
    journal_.take();
    requests("/dev/e1-cas");
    for (char const* cmd : {"open : 1", "set : 1", "get : NULL", "close : NULL"}) {
        for (int trunk : {4, 31, 32, 1000, -1}) {
            EXPECT_EQ(Strings{success}, casCommand(trunk, 1, cmd)) << trunk << ' ' << cmd;
        }
    }
    EXPECT_EQ(Strings{success}, command("ioctl : echoSuppressor : TRUE"));
    EXPECT_TRUE(journal_.take().empty());
    EXPECT_TRUE(requests("/dev/e1-cas").empty());

    // An ioctl addressed to a slot is the slot's, not this service's.
    std::vector<char> bytes = encode(readMessage("{ slot 7, pdu command : ioctl : echoSuppressor : TRUE }"));
    server_.OnMessage(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(Strings{"{ slot 7, pdu response : error : unexpectedMsgType }"}, link_->received());
}

TEST_F(E1Service, TheControllerLeavingClosesEveryOpenTrunk)
{
    connect();
    casCommand(0, 5, "open : 1");
    casCommand(2, 0, "open : 1");
    journal_.take();
    requests("/dev/e1-cas");

    server_.Deactivate();
    EXPECT_EQ(Strings({cas(0, 0, 1, 0), cas(2, 0, 1, 0)}), journal_.take());
    EXPECT_EQ(Strings({"close-trunk trunk=0 -> 0", "close-trunk trunk=2 -> 0"}), requests("/dev/e1-cas"));
    EXPECT_FALSE(casDevice().trunk_open(0));
    EXPECT_FALSE(casDevice().trunk_open(2));
}

TEST_F(E1Service, ABrokenCasDescriptorIsClosedAndOpenedAgainAtTheNextTickWithItsTrunks)
{
    connect();
    casCommand(0, 5, "open : 1");
    journal_.take();
    errors_.clear();
    log_.clear();

    board_->break_opens("/dev/e1-cas");
    stepper_.pass();
    EXPECT_EQ("E1: cas interface error or hang-up, closed\n", errors_.text());
    // Not polled again while closed.
    errors_.clear();
    stepper_.pass();
    stepper_.pass();
    EXPECT_EQ("", errors_.text());

    requests("/dev/e1-cas");
    stepper_.advance(1000);
    EXPECT_EQ("E1: cas interface opened!\nE1: cas interface opened again, open cas signalling on trunk(0) - ok\n",
              log_.text());
    Strings reopened = requests("/dev/e1-cas");
    ASSERT_EQ(2u, reopened.size());
    EXPECT_EQ(0u, reopened[0].rfind("open -> ", 0));
    EXPECT_EQ("open-trunk trunk=0 -> 0", reopened[1]);
    EXPECT_TRUE(casDevice().trunk_open(0));
    // The controller's view did not change: no cas signal.
    EXPECT_EQ(allStatus(), journal_.take());

    board_->control("e1-cas rx 0 5 2", replies_);
    stepper_.pass();
    EXPECT_EQ(Strings{cas(0, 5, 2, 0)}, journal_.take());
    casCommand(0, 5, "get : NULL");
    EXPECT_EQ(Strings{cas(0, 5, 2, 0)}, journal_.take());
}

TEST_F(E1Service, AtDisconnectABrokenCasDescriptorIsOpenedAgainToCloseTheTrunks)
{
    connect();
    casCommand(0, 0, "open : 1");
    casCommand(2, 7, "open : 1");
    board_->break_opens("/dev/e1-cas");
    stepper_.pass();
    journal_.take();
    requests("/dev/e1-cas");

    // Before the next tick.
    server_.Deactivate();
    EXPECT_EQ(Strings({cas(0, 0, 1, 0), cas(2, 0, 1, 0)}), journal_.take());
    Strings sent = requests("/dev/e1-cas");
    ASSERT_EQ(5u, sent.size());
    EXPECT_EQ(0u, sent[0].rfind("open -> ", 0));
    EXPECT_EQ(Strings({"open-trunk trunk=0 -> 0", "open-trunk trunk=2 -> 0", "close-trunk trunk=0 -> 0",
                       "close-trunk trunk=2 -> 0"}),
              Strings(sent.begin() + 1, sent.end()));
    EXPECT_FALSE(e1_.cas_open(0));
    EXPECT_FALSE(e1_.cas_open(2));
}

TEST_F(E1Service, AFailedTrunkOpenIsSignalledAndLoggedWithTheResultAndLeavesTheTrunkClosed)
{
    connect();
    journal_.take();
    requests("/dev/e1-cas");
    log_.clear();
    board_->fail_next("/dev/e1-cas", 1, EBUSY);
    casCommand(1, 3, "open : 5");
    EXPECT_EQ(Strings{cas(1, 0, -1, 0)}, journal_.take());
    EXPECT_EQ("E1: open cas signalling on trunk(1) - fail(-1)\n", log_.text());
    // Nothing configured on a trunk that did not open.
    EXPECT_EQ(1u, requests("/dev/e1-cas").size());
    EXPECT_FALSE(e1_.cas_open(1));

    // The next open is sent afresh.
    log_.clear();
    casCommand(1, 3, "open : 5");
    EXPECT_EQ("E1: open cas signalling on trunk(1) - ok\n", log_.text());
    EXPECT_TRUE(casDevice().trunk_open(1));
}

TEST_F(E1Service, ShortCasRecordsAreDroppedWithALogLine)
{
    connect();
    journal_.take();
    board_->control("e1-cas short 5", replies_);
    board_->control("e1-cas rx 3 7 1", replies_);
    stepper_.pass();
    stepper_.pass();
    EXPECT_EQ("E1: cas event of 5 bytes dropped\n", errors_.text());
    EXPECT_EQ(Strings{cas(3, 7, 1, 0)}, journal_.take());
}

namespace {

// Both drivers replaced by raw request logs.
std::unique_ptr<Sim::SimulatedBoard> rawBoard()
{
    auto board = std::make_unique<Sim::SimulatedBoard>();
    board->add(std::make_unique<RawDeviceLog>("/dev/maintenance"));
    board->add(std::make_unique<RawDeviceLog>("/dev/e1-cas"));
    return board;
}

std::string zeros(unsigned n)
{
    std::string text;
    while (n--)
        text += " 00";
    return text;
}

// The CAS driver as a raw request log that can fail a read without hanging
// up (the descriptor polls readable, the read fails with EIO).
class CasReadError : public RawDeviceLog {
public:
    CasReadError() : RawDeviceLog("/dev/e1-cas") {}

    bool failRead = false;

    bool readable(Sim::Open const&) const override { return failRead; }
    ssize_t read(Sim::Open&, void*, std::size_t) override
    {
        failRead = false;
        return -EIO;
    }
};

std::unique_ptr<Sim::SimulatedBoard> readErrorBoard()
{
    auto board = std::make_unique<Sim::SimulatedBoard>();
    board->add(std::make_unique<RawDeviceLog>("/dev/maintenance"));
    board->add(std::make_unique<CasReadError>());
    return board;
}

class E1CasReadError : public E1Service {
protected:
    E1CasReadError() : E1Service(readErrorBoard()) {}

    CasReadError& device() { return *board_->model<CasReadError>("/dev/e1-cas"); }
    Strings take()
    {
        Strings taken;
        taken.swap(device().requests);
        return taken;
    }
    Strings casSignals()
    {
        Strings found;
        for (std::string const& signal : journal_.take())
            if (signal.rfind("cas", 0) == 0)
                found.push_back(signal);
        return found;
    }
    void failARead()
    {
        device().failRead = true;
        board_->refresh();
        stepper_.pass();
    }
};

class E1Requests : public E1Service {
protected:
    E1Requests() : E1Service(rawBoard()) {}

    RawDeviceLog& raw(char const* path) { return *board_->model<RawDeviceLog>(path); }
    Strings take(char const* path)
    {
        Strings taken;
        taken.swap(raw(path).requests);
        return taken;
    }
};

} // namespace

TEST_F(E1Requests, StatusAndTclkRecordsByteForByte)
{
    raw("/dev/maintenance").answer = [](unsigned long, std::uint8_t* record, std::size_t) {
        Board::put_be32(record + 36, 11);
        Board::put_be32(record + 40, 12);
        Board::put_be32(record + 44, 13);
        Board::put_be32(record + 48, 14);
        Board::put_be32(record + 52, 0x7FFFFFFF);
        Board::put_be32(record + 76, record[3]); // the trunk's own number as state
    };
    connect();
    EXPECT_EQ(Strings({"0xc0504d03 00 00 00 00" + zeros(76), "0xc0504d03 00 00 00 01" + zeros(76),
                       "0xc0504d03 00 00 00 02" + zeros(76), "0xc0504d03 00 00 00 03" + zeros(76),
                       "0xc0044d0b value=0"}),
              take("/dev/maintenance"));
    EXPECT_EQ(Strings({status(0, "normal", 11, 12, 13, 14, 0x7FFFFFFF), status(1, "lossBF", 11, 12, 13, 14, 0x7FFFFFFF),
                       status(2, "lossCarrier", 11, 12, 13, 14, 0x7FFFFFFF),
                       status(3, "ais", 11, 12, 13, 14, 0x7FFFFFFF)}),
              journal_.take());

    command("trunkCfg : { trunk 3, mode slave }");
    EXPECT_TRUE(e1_.select_source(2));
    EXPECT_EQ(Strings({"0xc0044d0b value=8", "0xc0044d0a value=2"}), take("/dev/maintenance"));

    raw("/dev/maintenance").result = -EIO;
    EXPECT_FALSE(e1_.select_source(1));
    EXPECT_EQ("E1: fail to set clock source\n", errors_.text());
}

TEST_F(E1Requests, CasRecordsByteForByteAndFailuresSignalledWithTheResult)
{
    std::string const ch13 = " 00 00 00 01 00 00 00 03";
    std::string const openTrunk = "0x80044300 value=1";
    std::string const configureOpen = "0xc0104304" + ch13 + " 00 05 00 00 00 00 00 00";
    std::string const configureClose = "0xc0104304" + ch13 + " 00 00 00 00 00 00 00 01";
    std::string const get = "0xc00c4303" + ch13 + " 00 00 00 00";
    std::string const set = "0xc00c4302" + ch13 + " 00 09 00 00";
    std::string const closeTrunk = "0x80044301 value=1";
    struct Case {
        char const* what;
        int timeslot;
        char const* cmd;
        std::deque<int> results;
        Strings requests;
        Strings signals;
    } const cases[] = {
        {"open fails", 3, "open : 21", {-EIO}, {openTrunk}, {cas(1, 0, -1, 0)}},
        {"configure fails", 3, "open : 21", {0, -EIO}, {openTrunk, configureOpen}, {cas(1, 0, 0, 0), cas(1, 3, -1, 0)}},
        {"get fails", 3, "open : 21", {0, -EIO}, {configureOpen, get}, {cas(1, 0, 0, 0), cas(1, 3, -1, 0)}},
        {"bits", 3, "open : 21", {}, {configureOpen, get}, {cas(1, 0, 0, 0), cas(1, 3, 10, 5)}},
        {"set fails", 3, "set : 25", {-EIO}, {set}, {cas(1, 3, -1, 0)}},
        {"get after set fails", 3, "set : 25", {0, -EIO}, {set, get}, {cas(1, 3, -1, 0)}},
        {"set", 3, "set : 25", {}, {set, get}, {cas(1, 3, 10, 5)}},
        {"get", 3, "get : NULL", {}, {get}, {cas(1, 3, 10, 5)}},
        {"close of a channel fails", 3, "close : NULL", {-EIO}, {configureClose}, {cas(1, 3, -1, 0)}},
        {"close of a channel", 3, "close : NULL", {}, {configureClose}, {cas(1, 3, -1, 1)}},
        {"close of the trunk fails", 0, "close : NULL", {-EIO}, {closeTrunk}, {cas(1, 0, -1, 0)}},
        {"close of the trunk", 0, "close : NULL", {}, {closeTrunk}, {cas(1, 0, 1, 0)}},
    };
    RawDeviceLog& device = raw("/dev/e1-cas");
    device.answer = [](unsigned long code, std::uint8_t* record, std::size_t) {
        if (code == 0xc00c4303) {
            record[8] = 10;
            record[9] = 5;
        }
    };
    connect();
    journal_.take();
    for (Case const& c : cases) {
        device.results = c.results;
        casCommand(1, c.timeslot, c.cmd);
        EXPECT_EQ(c.requests, take("/dev/e1-cas")) << c.what;
        EXPECT_EQ(c.signals, journal_.take()) << c.what;
    }
    EXPECT_FALSE(e1_.cas_open(1));
}

TEST_F(E1CasReadError, AReadErrorClosesTheCasDescriptorAndTheNextTickOpensItAndItsTrunksAgain)
{
    connect();
    casCommand(1, 0, "open : 1");
    EXPECT_EQ(Strings{"0x80044300 value=1"}, take());
    casSignals();
    log_.clear();

    failARead();
    EXPECT_EQ("E1: cas interface read error, closed\n", errors_.text());
    EXPECT_EQ(1u, board_->log_of("/dev/e1-cas", "open").size());
    stepper_.advance(1000);
    EXPECT_EQ(2u, board_->log_of("/dev/e1-cas", "open").size());
    EXPECT_EQ(Strings{"0x80044300 value=1"}, take());
    EXPECT_EQ("E1: cas interface opened!\nE1: cas interface opened again, open cas signalling on trunk(1) - ok\n",
              log_.text());
    EXPECT_TRUE(casSignals().empty());
    EXPECT_TRUE(e1_.cas_open(1));

    // Opened again, the trunk does not open: it is closed, and the controller
    // hears of it as of a failed open.
    log_.clear();
    failARead();
    device().results = {-EIO};
    stepper_.advance(1000);
    EXPECT_EQ(Strings{"0x80044300 value=1"}, take());
    EXPECT_EQ(
        "E1: cas interface opened!\nE1: cas interface opened again, open cas signalling on trunk(1) - fail(-1)\n",
        log_.text());
    EXPECT_EQ(Strings{cas(1, 0, -1, 0)}, casSignals());
    EXPECT_FALSE(e1_.cas_open(1));
    // So a get does nothing, and the next open is sent afresh.
    casCommand(1, 3, "get : NULL");
    EXPECT_TRUE(take().empty());
    casCommand(1, 0, "open : 1");
    EXPECT_EQ(Strings{"0x80044300 value=1"}, take());
    EXPECT_TRUE(e1_.cas_open(1));
}

TEST_F(E1CasReadError, ACasDescriptorOpenedAgainWithNoTrunkOpenSaysSo)
{
    connect();
    log_.clear();
    failARead();
    stepper_.advance(1000);
    EXPECT_EQ("E1: cas interface opened!\nE1: cas interface opened again, no trunk open\n", log_.text());
    EXPECT_TRUE(take().empty());
}
