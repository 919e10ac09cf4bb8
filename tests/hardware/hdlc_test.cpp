// The HDLC channel against the simulated controller and cross-connect,
// driven by the main loop on the test clock, with a test listener: frames
// both ways, back-pressure and ready, interrupted writes, read errors, end
// of file and hang-ups, listeners that close or delete the channel from
// inside a callback, and the pool running dry.
#include "hardware/HDLC.h"
#include "hardware/HwMux.h"
#include "runtime/packet/Packet.h"
#include "runtime/process/TraceCtl.h"
#include "sim/BoardModels.h"
#include "sim/MccDevice.h"
#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"
#include "support/RawDeviceLog.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <functional>
#include <poll.h>

namespace {

using Strings = std::vector<std::string>;

// Records what the channel tells it; an optional action runs after each.
class Listener : public HDLC::Notify {
public:
    void on_hdlc_receive(Packet& frame) override { note("receive " + frame.text()); }
    void on_hdlc_error(Cause::Type cause) override { note("error " + std::to_string(cause)); }
    void on_hdlc_ready() override { note("ready"); }

    Strings take()
    {
        Strings taken;
        taken.swap(heard);
        return taken;
    }

    Strings heard;
    std::function<void(std::string const&)> action;

private:
    void note(std::string const& what)
    {
        heard.push_back(what);
        if (action)
            action(what);
    }
};

// The controller model behind two quirks of system calls: the next
// `interruptions` writes fail with EINTR before they reach it, and a read
// of 0 bytes leaves errno as an earlier call set it (EAGAIN here).
class QuirkyMcc : public Sim::Device {
public:
    char const* path() const override { return mcc.path(); }
    std::string name() const override { return mcc.name(); }
    int opened(Sim::Open& open) override { return mcc.opened(open); }
    void closed(Sim::Open& open) override { mcc.closed(open); }
    int request(Sim::Open& open, unsigned long code, std::uint8_t* record, std::size_t size,
                Sim::RequestNote& note) override
    {
        return mcc.request(open, code, record, size, note);
    }
    int request_none(Sim::Open& open, unsigned long code, Sim::RequestNote& note) override
    {
        return mcc.request_none(open, code, note);
    }
    ssize_t read(Sim::Open& open, void* buffer, std::size_t size) override
    {
        ssize_t const n = mcc.read(open, buffer, size);
        if (n == 0)
            errno = EAGAIN;
        return n;
    }
    ssize_t write(Sim::Open& open, void const* buffer, std::size_t size) override
    {
        ++writes;
        if (interruptions > 0) {
            --interruptions;
            return -EINTR;
        }
        return mcc.write(open, buffer, size);
    }
    bool readable(Sim::Open const& open) const override { return mcc.readable(open); }
    bool writable(Sim::Open const& open) const override { return mcc.writable(open); }

    Sim::MccDevice mcc;
    unsigned interruptions = 0;
    unsigned writes = 0;
};

int const lineChannel = 35;   // trunk 1, timeslot 3
int const firstMcc = Sim::MccDevice::firstTdm;

class HdlcChannel : public ::testing::Test {
protected:
    explicit HdlcChannel(std::unique_ptr<Sim::SimulatedBoard> board = Sim::makeBoard())
        : board_(std::move(board)), installed_(install(board_.get()))
    {
        hdlc_ = std::make_unique<HDLC>(&mux_);
        hdlc_->link = 7;
        hdlc_->channel = 3;
        hdlc_->first_channel = lineChannel;
        hdlc_->listener = &listener_;
        board_->clear_log();
        log_.clear();
    }
    ~HdlcChannel() override
    {
        hdlc_.reset();
        Board::install(nullptr);
    }

    static bool install(Sim::SimulatedBoard* board)
    {
        Board::install(board);
        return true;
    }

    Sim::MccDevice& mcc()
    {
        if (auto* quirky = board_->model<QuirkyMcc>("/dev/mcc/ctl"))
            return quirky->mcc;
        return *board_->model<Sim::MccDevice>("/dev/mcc/ctl");
    }
    Sim::MccDevice::Channel const& channel() { return *mcc().channel(firstMcc); }
    void inject(std::string const& hex)
    {
        std::vector<unsigned char> bytes = bytes_of(hex);
        mcc().inject(firstMcc, Sim::MccDevice::Frame(bytes.begin(), bytes.end()));
        board_->refresh();
    }
    bool send(std::string const& hex)
    {
        Packet frame = packet_of(bytes_of(hex));
        return hdlc_->hdlc_transmit(frame);
    }
    Strings sent()
    {
        Strings frames;
        for (auto const& frame : channel().sent)
            frames.push_back(packet_of(std::vector<unsigned char>(frame.begin(), frame.end())).text());
        return frames;
    }
    // Activates and lets the first write readiness through.
    void activateReady()
    {
        ASSERT_TRUE(hdlc_->activate());
        stepper_.pass();
        ASSERT_EQ(Strings{"ready"}, listener_.take());
    }

    std::unique_ptr<Sim::SimulatedBoard> board_;
    bool installed_;
    LoopStepper stepper_;
    StreamCapture log_{std::clog};
    StreamCapture errors_{std::cerr};
    HwMux mux_;
    Listener listener_;
    std::unique_ptr<HDLC> hdlc_;
};

} // namespace

TEST_F(HdlcChannel, ActivationAllocatesAChannelAndJoinsItToTheLine)
{
    struct Case {
        int kind;
        int second;
        char const* allocate;
        char const* transmit; // the cross-connect request that carries the controller's bytes
    } const cases[] = {
        {0, -1, "MCC_ALLOCATE mode=3 words=512,0,1,4 -> 0", "connect output=35 source=10112 -> 0"},
        {1, -1, "MCC_ALLOCATE mode=0 words=512,0,1,4 -> 0", "connect output=35 source=10112 -> 0"},
        {2, 8300, "MCC_ALLOCATE mode=1 words=512,0,1,4 -> 0", "connect output=8300 source=10112 -> 0"},
    };
    for (Case const& c : cases) {
        hdlc_->kind = c.kind;
        hdlc_->second_channel = c.second;
        board_->clear_log();
        ASSERT_TRUE(hdlc_->activate()) << c.kind;
        Strings mccLog;
        for (auto const& entry : board_->log_of("/dev/mcc/ctl")) {
            std::ostringstream line;
            line << entry;
            mccLog.push_back(line.str());
        }
        ASSERT_EQ(3u, mccLog.size());
        EXPECT_EQ(std::string("/dev/mcc/ctl ") + c.allocate, mccLog[1]);
        EXPECT_EQ("/dev/mcc/ctl MCC_TIMESLOT -> 10112", mccLog[2]);
        Strings connects;
        for (auto const& entry : board_->log_of("/dev/hal", "connect")) {
            std::ostringstream line;
            line << entry;
            connects.push_back(line.str());
        }
        EXPECT_EQ(Strings({std::string("/dev/hal ") + c.transmit, "/dev/hal connect output=10112 source=35 -> 0"}),
                  connects)
            << c.kind;
        EXPECT_TRUE(hdlc_->is_open());
        EXPECT_FALSE(hdlc_->is_ready());
        // Activating again replaces the channel: one controller channel.
        EXPECT_EQ(std::vector<int>{firstMcc}, mcc().channels());
    }
    EXPECT_EQ("", errors_.text());
}

TEST_F(HdlcChannel, ActivationFailuresLeaveTheChannelIdle)
{
    struct Case {
        char const* what;
        std::function<void(HDLC&, Sim::SimulatedBoard&)> setup;
        char const* error;
    } const cases[] = {
        {"no line channel", [](HDLC& h, Sim::SimulatedBoard&) { h.first_channel = -1; }, "hdlc [7/3]: activate: channel not set\n"},
        {"kind 2 without its transmit channel", [](HDLC& h, Sim::SimulatedBoard&) { h.kind = 2; },
         "hdlc [7/3]: activate: channel not set\n"},
        {"unknown kind", [](HDLC& h, Sim::SimulatedBoard&) { h.kind = 3; }, "hdlc [7/3]: activate: unknown kind 3\n"},
        {"negative kind", [](HDLC& h, Sim::SimulatedBoard&) { h.kind = -1; }, "hdlc [7/3]: activate: unknown kind -1\n"},
        {"device missing", [](HDLC&, Sim::SimulatedBoard& b) { b.set_missing("/dev/mcc/ctl", true); },
         "hdlc [7/3]: fail to open MCC device: No such file or directory\n"},
        {"allocation refused", [](HDLC&, Sim::SimulatedBoard& b) { b.fail_next("/dev/mcc/ctl", 1, EBUSY); },
         "hdlc [7/3]: MCC_ALLOCATE fail: Device or resource busy\n"},
    };
    for (Case const& c : cases) {
        hdlc_->first_channel = lineChannel;
        hdlc_->second_channel = -1;
        hdlc_->kind = 0;
        board_->clear_failures("/dev/mcc/ctl");
        errors_.clear();
        c.setup(*hdlc_, *board_);
        EXPECT_FALSE(hdlc_->activate()) << c.what;
        EXPECT_EQ(c.error, errors_.text()) << c.what;
        EXPECT_FALSE(hdlc_->is_open()) << c.what;
        EXPECT_TRUE(board_->log_of("/dev/hal", "connect").empty()) << c.what;
        EXPECT_FALSE(send("01")) << c.what;
    }
}

TEST_F(HdlcChannel, FramesFlowBothWays)
{
    activateReady();
    EXPECT_TRUE(hdlc_->is_ready());
    EXPECT_TRUE(send("01 02 03"));
    EXPECT_TRUE(send(""));
    EXPECT_TRUE(send("7e"));
    EXPECT_EQ(Strings({"01 02 03", "7E"}), sent());

    // Several frames pending: one readiness delivers them all, in order.
    inject("0a 0b");
    inject("0c");
    inject("0d 0e 0f");
    stepper_.pass();
    EXPECT_EQ(Strings({"receive 0A 0B", "receive 0C", "receive 0D 0E 0F"}), listener_.take());
    stepper_.pass();
    EXPECT_TRUE(listener_.take().empty());

    EXPECT_EQ(2u, hdlc_->counters.sent);
    EXPECT_EQ(3u, hdlc_->counters.received);
    EXPECT_EQ(0u, hdlc_->counters.discarded + hdlc_->counters.send_errors + hdlc_->counters.overflows);

    // Counters survive deactivation; frames for a closed channel are
    // discarded and counted; the next activation starts from 0.
    hdlc_->deactivate();
    EXPECT_FALSE(hdlc_->is_open());
    EXPECT_FALSE(send("01"));
    EXPECT_EQ(1u, hdlc_->counters.discarded);
    EXPECT_EQ(2u, hdlc_->counters.sent);
    ASSERT_TRUE(hdlc_->activate());
    EXPECT_EQ(0u, hdlc_->counters.sent + hdlc_->counters.discarded + hdlc_->counters.received);
}

TEST_F(HdlcChannel, AFullChannelRefusesFramesUntilItDrainsAndThenSaysReadyOnce)
{
    activateReady();
    mcc().block(firstMcc, true);
    board_->refresh();
    EXPECT_FALSE(send("01"));
    EXPECT_FALSE(hdlc_->is_ready());
    EXPECT_EQ(0u, hdlc_->counters.sent + hdlc_->counters.send_errors);
    stepper_.pass();
    EXPECT_EQ(Strings{}, listener_.take());

    mcc().block(firstMcc, false);
    board_->refresh();
    stepper_.pass();
    EXPECT_EQ(Strings{"ready"}, listener_.take());
    EXPECT_TRUE(hdlc_->is_ready());
    stepper_.pass();
    EXPECT_TRUE(listener_.take().empty());
    EXPECT_TRUE(send("02"));
    EXPECT_EQ(Strings{"02"}, sent());

    // Other write failures are counted and leave the channel ready.
    board_->break_opens("/dev/mcc/ctl");
    EXPECT_FALSE(send("03"));
    EXPECT_EQ(1u, hdlc_->counters.send_errors);
    EXPECT_TRUE(hdlc_->is_ready());
}

TEST_F(HdlcChannel, AReadErrorClosesTheChannelBeforeTheListenerHearsOfIt)
{
    ASSERT_TRUE(hdlc_->activate());
    bool openAtError = true;
    listener_.action = [&](std::string const& what) {
        if (what == "error 0")
            openAtError = hdlc_->is_open();
    };
    // Readable and writable in the same pass: the error ends it, no ready.
    inject("01");
    mcc().inject_error(firstMcc, EIO);
    board_->refresh();
    stepper_.pass();
    EXPECT_EQ(Strings({"receive 01", "error 0"}), listener_.take());
    EXPECT_FALSE(openAtError);
    EXPECT_FALSE(hdlc_->is_open());
    EXPECT_EQ("hdlc [7/3]: read error: Input/output error\n", errors_.text());
    stepper_.pass();
    EXPECT_TRUE(listener_.take().empty());
}

TEST_F(HdlcChannel, AHungUpChannelIsClosedOnceAndNotPolledAgain)
{
    activateReady();
    board_->break_opens("/dev/mcc/ctl");
    stepper_.pass();
    EXPECT_EQ(Strings{"error 0"}, listener_.take());
    EXPECT_FALSE(hdlc_->is_open());
    EXPECT_EQ("hdlc [7/3]: read error: Input/output error\n", errors_.text());
    stepper_.pass();
    EXPECT_TRUE(listener_.take().empty());
}

TEST_F(HdlcChannel, AListenerMayCloseOrDeleteTheChannelInsideACallback)
{
    struct Case {
        char const* what;
        char const* trigger;
        bool destroy;
        Strings heard;
    } const cases[] = {
        {"deactivate on a frame", "receive 01", false, {"receive 01"}},
        {"delete on a frame", "receive 01", true, {"receive 01"}},
        {"delete on the error", "error 0", true, {"receive 01", "receive 02", "error 0"}},
        {"re-activate on the error", "error 0", false, {"receive 01", "receive 02", "error 0"}},
    };
    for (Case const& c : cases) {
        listener_.action = nullptr;
        hdlc_ = std::make_unique<HDLC>(&mux_);
        hdlc_->first_channel = lineChannel;
        hdlc_->listener = &listener_;
        ASSERT_TRUE(hdlc_->activate());
        inject("01");
        inject("02");
        mcc().inject_error(firstMcc, EIO);
        board_->refresh();
        listener_.action = [&](std::string const& what) {
            if (what != c.trigger)
                return;
            if (c.destroy)
                hdlc_.reset();
            else if (what == "error 0")
                hdlc_->activate();
            else
                hdlc_->deactivate();
        };
        stepper_.pass();
        EXPECT_EQ(c.heard, listener_.take()) << c.what;
        listener_.action = nullptr;
        stepper_.pass();
        // A re-activated channel gets its own first readiness.
        Strings later = listener_.take();
        EXPECT_EQ(c.trigger == std::string("error 0") && !c.destroy ? Strings{"ready"} : Strings{}, later) << c.what;
    }
}

TEST_F(HdlcChannel, AnEmptyPoolLeavesTheFramesForALaterPass)
{
    activateReady();
    inject("55 66");
    std::vector<Packet> hoard;
    try {
        for (;;) {
            hoard.emplace_back();
            hoard.back().reserve_head(0);
        }
    } catch (std::bad_alloc const&) {
        hoard.pop_back();
    }
    stepper_.pass();
    EXPECT_TRUE(listener_.take().empty());
    EXPECT_EQ("hdlc [7/3]: no packet buffer, frames left for later\n", errors_.text());
    EXPECT_TRUE(hdlc_->is_open());

    hoard.clear();
    stepper_.pass();
    EXPECT_EQ(Strings{"receive 55 66"}, listener_.take());
}

TEST_F(HdlcChannel, TracesAndTheIdleReadLine)
{
    hdlc_->do_read();
    EXPECT_EQ("hdlc [7/3]: do_read: !m_event.IsActive()\n", log_.text());
    log_.clear();

    traces.signalling_hdlc = true;
    activateReady();
    send("01 02");
    inject("03");
    stepper_.pass();
    hdlc_->deactivate();
    traces.signalling_hdlc = false;
    EXPECT_EQ("hdlc [7/3]: deactivated\n"
              "hdlc [7/3]: activated\n"
              "HDLC[7]: tx 01 02\n"
              "hdlc [7/3]: do_read\n"
              "HDLC[7]: rx 03\n"
              "hdlc [7/3]: deactivated\n",
              log_.text());
}

namespace {

std::unique_ptr<Sim::SimulatedBoard> quirkyMccBoard()
{
    auto board = Sim::makeBoard();
    // Replaces the model of the controller.
    board->add(std::make_unique<QuirkyMcc>());
    return board;
}

class QuirkyHdlc : public HdlcChannel {
protected:
    QuirkyHdlc() : HdlcChannel(quirkyMccBoard()) {}
    QuirkyMcc& device() { return *board_->model<QuirkyMcc>("/dev/mcc/ctl"); }
};

} // namespace

TEST_F(QuirkyHdlc, AnInterruptedWriteIsMadeAgainAndCountedOnce)
{
    activateReady();
    device().interruptions = 2;
    device().writes = 0;
    EXPECT_TRUE(send("01 02"));
    EXPECT_EQ(3u, device().writes);
    EXPECT_EQ(Strings{"01 02"}, sent());
    EXPECT_EQ(1u, hdlc_->counters.sent);
    EXPECT_EQ(0u, hdlc_->counters.send_errors);
    EXPECT_TRUE(hdlc_->is_ready());
    EXPECT_EQ("", errors_.text());
}

TEST_F(QuirkyHdlc, AnEndOfFileOrAHangUpWithoutAReadErrorClosesTheChannel)
{
    struct Case {
        char const* what;
        bool emptyRead;  // the controller hands over a read of 0 bytes
        short revents;   // the poll events handed to the channel; 0: as polled
        char const* error;
    } const cases[] = {
        // errno still says EAGAIN from an earlier call: not "nothing more".
        {"a read of 0", true, 0, "hdlc [7/3]: read error: end of file\n"},
        {"a hang-up with nothing to read", false, POLLHUP, "hdlc [7/3]: read error: channel hang-up\n"},
        {"an error event with nothing to read", false, POLLERR, "hdlc [7/3]: read error: channel hang-up\n"},
        {"a hang-up as the channel is writable", false, POLLHUP | POLLOUT,
         "hdlc [7/3]: read error: channel hang-up\n"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        errors_.clear();
        listener_.action = nullptr;
        activateReady();
        bool openAtError = true;
        listener_.action = [&](std::string const& what) {
            if (what == "error 0")
                openAtError = hdlc_->is_open();
        };
        inject("01");
        if (c.emptyRead)
            inject("");
        if (c.revents)
            hdlc_->on_event(-1, c.revents);
        else
            stepper_.pass();
        // The frames before the end are delivered, then the channel closes.
        EXPECT_EQ(Strings({"receive 01", "error 0"}), listener_.take());
        EXPECT_FALSE(openAtError);
        EXPECT_FALSE(hdlc_->is_open());
        EXPECT_EQ(c.error, errors_.text());
        stepper_.pass();
        EXPECT_EQ(Strings{}, listener_.take());
    }
}

namespace {

std::unique_ptr<Sim::SimulatedBoard> rawMccBoard()
{
    auto board = Sim::makeBoard();
    // Replaces the model of the controller.
    board->add(std::make_unique<RawDeviceLog>("/dev/mcc/ctl"));
    return board;
}

class HdlcRequests : public HdlcChannel {
protected:
    HdlcRequests() : HdlcChannel(rawMccBoard()) {}
    RawDeviceLog& raw() { return *board_->model<RawDeviceLog>("/dev/mcc/ctl"); }
};

} // namespace

TEST_F(HdlcRequests, AllocationRecordByteForByteAndARefusedTimeslot)
{
    raw().results = {0, 10112};
    hdlc_->kind = 2;
    hdlc_->second_channel = 8300;
    ASSERT_TRUE(hdlc_->activate());
    EXPECT_EQ(Strings({"0x40144d00 00 00 00 01 00 00 02 00 00 00 00 00 00 00 00 01 00 00 00 04", "0x20004d02"}),
              raw().requests);
    EXPECT_EQ(10112, mux_.entry(8300 - HwMux::firstTracked));

    raw().requests.clear();
    raw().results = {0, -EIO};
    EXPECT_FALSE(hdlc_->activate());
    EXPECT_EQ("hdlc [7/3]: MCC_TIMESLOT fail: Input/output error\n", errors_.text());
    EXPECT_FALSE(hdlc_->is_open());
}
