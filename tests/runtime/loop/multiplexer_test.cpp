#include "runtime/loop/Dpc.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/TimerPoolPlugin.h"
#include "support/LoopProbes.h"
#include "support/ScratchRoot.h"
#include "support/StreamCapture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

using looptest::After;
using looptest::Pipe;
using looptest::Probe;

namespace {

// A deferred call running a function on every invocation.
class Deferred {
public:
    explicit Deferred(std::function<void(Deferred&)> action) : action_(std::move(action))
    {
        dpc.Bind(this, &Deferred::invoke);
        dpc.Activate();
    }
    Dpc dpc;
    int calls = 0;

private:
    void invoke()
    {
        ++calls;
        action_(*this);
    }
    std::function<void(Deferred&)> action_;
};

TEST(MainLoop, EveryHandlerIsServicedWithItsOwnEventsOnceAnyDescriptorIsReady)
{
    Pipe quiet, ready;
    Probe idle("idle");
    Probe reader("reader", [](Probe& self, short) {
        self.drain();
        multiplexer.terminate();
    });
    idle.watch(quiet.read, POLLIN);
    reader.watch(ready.read, POLLIN);
    ready.put();

    multiplexer.run(false, true);

    EXPECT_EQ(std::vector<short>{0}, idle.serviced);
    EXPECT_EQ(std::vector<short>{POLLIN}, reader.serviced);
    EXPECT_EQ(0u, idle.event.count());
    EXPECT_EQ(1u, reader.event.count());
}

TEST(MainLoop, TerminateFromACallbackLeavesTheRestOfThePassAttachedAndInOrder)
{
    Pipe pipe;
    std::vector<std::string> order;
    bool stopNow = true;
    auto record = [&](Probe& self, short) {
        order.push_back(self.event.name());
        if (stopNow) {
            stopNow = false;
            multiplexer.terminate();
        }
    };
    Probe first("first", record), second("second", record), third("third", record);
    for (Probe* p : {&first, &second, &third})
        p->watch(pipe.read, POLLIN);
    pipe.put();

    multiplexer.run(false, true);
    EXPECT_EQ(std::vector<std::string>{"first"}, order);
    EXPECT_TRUE(multiplexer.event_exists(&second.event));
    EXPECT_TRUE(multiplexer.event_exists(&third.event));

    order.clear();
    Probe stopper("stopper", [](Probe&, short) { multiplexer.terminate(); });
    stopper.watch(pipe.read, POLLIN);
    multiplexer.run(false, true);
    EXPECT_EQ((std::vector<std::string>{"first", "second", "third"}), order);
}

// Deletes itself from its own callback.
class SelfDeleting {
public:
    explicit SelfDeleting(SelfDeleting** self) : self_(self)
    {
        event.Bind("self-deleting", &SelfDeleting::onEvent, this);
    }
    Event event;

private:
    void onEvent(int, short)
    {
        *self_ = nullptr;
        delete this;
    }
    SelfDeleting** self_;
};

TEST(MainLoop, DetachingTheNextHandlerSkipsItAndDeletingTheOwnEventIsSafe)
{
    Pipe pipe;
    pipe.put();
    SelfDeleting* doomed = nullptr;
    doomed = new SelfDeleting(&doomed);
    Probe skipped("skipped");
    Probe killer("killer", [&](Probe&, short) { skipped.event.Release(); });
    Probe stopper("stopper", [](Probe&, short) { multiplexer.terminate(); });
    doomed->event.Schedule(pipe.read, POLLIN);
    killer.watch(pipe.read, POLLIN);
    skipped.watch(pipe.read, POLLIN);
    stopper.watch(pipe.read, POLLIN);

    multiplexer.run(false, true);

    EXPECT_EQ(nullptr, doomed);
    EXPECT_TRUE(skipped.serviced.empty());
    EXPECT_FALSE(multiplexer.event_exists(&skipped.event));
    EXPECT_EQ(1u, stopper.serviced.size());
}

// The second sweep of deferred calls runs after the poll set was built.
TEST(MainLoop, HandlerDetachedJustBeforePollDoesNotShiftTheOthersEvents)
{
    Pipe quiet, ready;
    ready.put();
    Probe dropped("dropped");
    Probe reader("reader", [](Probe&, short) { multiplexer.terminate(); });
    dropped.watch(quiet.read, POLLIN);
    reader.watch(ready.read, POLLIN);
    Deferred drop([&](Deferred& self) {
        if (self.calls == 2)
            dropped.event.Release();
    });

    multiplexer.run(false, true);

    EXPECT_TRUE(dropped.serviced.empty());
    EXPECT_EQ(std::vector<short>{POLLIN}, reader.serviced);
}

TEST(MainLoop, HandlerAttachedDuringAPassJoinsThePollSetAtTheNextPass)
{
    Pipe pipe;
    pipe.put();
    Probe late("late", [](Probe&, short) { multiplexer.terminate(); });
    int passes = 0;
    Probe early("early", [&](Probe&, short) {
        if (++passes == 1)
            late.watch(pipe.read, POLLIN);
    });
    early.watch(pipe.read, POLLIN);

    multiplexer.run(false, true);

    EXPECT_EQ(2, passes);
    EXPECT_EQ(1u, late.serviced.size());
}

TEST(MainLoop, ReschedulingKeepsADuplicateOfTheCallersDescriptor)
{
    Pipe pipe;
    Probe probe("probe");
    probe.watch(pipe.read, POLLIN);
    int held = probe.event.fd().get();
    EXPECT_NE(pipe.read.get(), held);
    EXPECT_EQ(FD_CLOEXEC, ::fcntl(held, F_GETFD) & FD_CLOEXEC);

    probe.event.Schedule(probe.event.fd(), POLLIN | POLLOUT);
    EXPECT_EQ(held, probe.event.fd().get());
    EXPECT_TRUE(multiplexer.event_exists(&probe.event));

    pipe.read.close();
    EXPECT_NE(-1, ::fcntl(held, F_GETFD));

    probe.event.Release();
    EXPECT_FALSE(multiplexer.event_exists(&probe.event));
    EXPECT_FALSE(probe.event.fd());
}

TEST(MainLoop, DuplicateAttachAndUnknownDetachAreReportedAndIgnored)
{
    Pipe pipe;
    Probe probe("probe");
    probe.watch(pipe.read, POLLIN);

    StreamCapture capture(std::cerr);
    multiplexer.attach(&probe.event);
    std::string duplicate = capture.text();
    EXPECT_EQ("duplicate multiplexer attach \"probe\" ignored.\n", duplicate);

    probe.event.Release();
    capture.clear();
    multiplexer.detach(&probe.event);
    std::string unknown = capture.text();
    EXPECT_EQ("indvalid Multiplexer::detach probe\n", unknown);
    EXPECT_FALSE(multiplexer.event_exists(&probe.event));
}

TEST(MainLoop, StopRequestedByADeferredCallDoesNotWaitInPoll)
{
    Pipe pipe;
    Probe idle("idle");
    idle.watch(pipe.read, POLLIN);
    After safety(3000, [] {
        ADD_FAILURE() << "the loop waited for I/O after the stop";
        multiplexer.terminate();
    });
    Deferred stop([](Deferred& self) {
        if (self.calls == 2)
            multiplexer.terminate();
    });

    multiplexer.run(false, true);

    EXPECT_FALSE(safety.fired());
    EXPECT_TRUE(idle.serviced.empty());
}

void terminateFromSignal(int)
{
    multiplexer.terminate();
}

TEST(MainLoop, TerminateFromASignalHandlerEndsAPollInProgress)
{
    Pipe pipe;
    Probe idle("idle");
    idle.watch(pipe.read, POLLIN);
    struct sigaction action {}, previous {};
    action.sa_handler = terminateFromSignal;
    action.sa_flags = SA_RESTART;
    ASSERT_EQ(0, sigaction(SIGALRM, &action, &previous));
    itimerval shot{};
    shot.it_value.tv_usec = 20000;
    ASSERT_EQ(0, setitimer(ITIMER_REAL, &shot, nullptr));
    After safety(5000, [] { ADD_FAILURE() << "the signal did not stop the loop"; multiplexer.terminate(); });

    multiplexer.run(false, true);

    EXPECT_FALSE(safety.fired());
    sigaction(SIGALRM, &previous, nullptr);
}

class Plugin : public TimerPoolPlugin {
public:
    explicit Plugin(std::function<int(Plugin&)> answer) : answer_(std::move(answer)) { timerHook(); }
    int millisecondsToDeadline() override
    {
        ++asked;
        return answer_(*this);
    }
    int asked = 0;

private:
    std::function<int(Plugin&)> answer_;
};

TEST(MainLoop, APluginDeadlineOfZeroPollsWithoutWaiting)
{
    Pipe pipe;
    Probe idle("idle");
    idle.watch(pipe.read, POLLIN);
    After safety(3000, [] { ADD_FAILURE() << "a due plug-in deadline was taken for none"; multiplexer.terminate(); });
    Plugin due([](Plugin& self) {
        if (self.asked == 3)
            multiplexer.terminate();
        return 0;
    });

    multiplexer.run(false, true);

    EXPECT_EQ(3, due.asked);
    EXPECT_FALSE(safety.fired());
}

TEST(MainLoop, APluginMayUnhookItselfAndAnotherWhileBeingAsked)
{
    Pipe pipe;
    pipe.put();
    int passes = 0;
    Probe counter("counter", [&](Probe&, short) {
        if (++passes == 3)
            multiplexer.terminate();
    });
    counter.watch(pipe.read, POLLIN);
    Plugin* otherPtr = nullptr;
    Plugin first([&](Plugin& self) {
        self.timerUnhook();
        otherPtr->timerUnhook();
        return -1;
    });
    Plugin other([](Plugin&) { return 5; });
    otherPtr = &other;

    multiplexer.run(false, true);

    EXPECT_EQ(1, first.asked);
    EXPECT_EQ(0, other.asked);
    EXPECT_FALSE(first.hooked());
    EXPECT_FALSE(other.hooked());
}

// A temporary SERVER_ROOT with a regular file in place of the watchdog.
class WatchdogRoot : public testing::Test {
protected:
    void SetUp() override { root_.makeDir("/dev/misc"); }
    void createDevice() { root_.write("/dev/misc/gw-wd", ""); }
    std::string written() const { return root_.read("/dev/misc/gw-wd"); }

    ScratchRoot root_;
    std::string const device_ = root_.path("/dev/misc/gw-wd");
};

TEST_F(WatchdogRoot, IsStartedPingedAtLeastOnceASecondAndStopped)
{
    createDevice();
    Pipe pipe;
    Probe idle("idle");
    idle.watch(pipe.read, POLLIN);
    // The idle handler alone would let poll wait for ever: without the one
    // second cap there would be a single PING.
    After stop(2100);

    multiplexer.run(true, true);

    std::string words = written();
    EXPECT_EQ(0u, words.find("STARTPING")) << words;
    EXPECT_EQ(words.size() - 4, words.rfind("STOP")) << words;
    EXPECT_GE(occurrences(words, "PING"), 2) << words;
    EXPECT_EQ(words.size(), 5 + 4u * (occurrences(words, "PING") + 1)) << words;
}

TEST_F(WatchdogRoot, PendingStopIsHonouredAtOnceWithTheWatchdogOpen)
{
    createDevice();
    Pipe pipe;
    Probe idle("idle");
    idle.watch(pipe.read, POLLIN);
    Deferred stop([](Deferred&) { multiplexer.terminate(); });

    multiplexer.run(true, true);

    EXPECT_EQ("STARTPINGSTOP", written());
    EXPECT_TRUE(idle.serviced.empty());
}

TEST_F(WatchdogRoot, MissingDeviceIsReportedAndTheLoopRunsWithoutIt)
{
    After stop(0);
    StreamCapture capture(std::cerr);
    multiplexer.run(true, true);
    std::string errors = capture.text();
    EXPECT_EQ(0u, errors.find("Mux: fail to open watchdog: No such file or directory\n")) << errors;
    EXPECT_TRUE(stop.fired());
}

TEST_F(WatchdogRoot, DeviceRefusingStartIsReportedAndClosed)
{
    ASSERT_EQ(0, ::symlink("/dev/full", device_.c_str()));
    After stop(0);
    StreamCapture capture(std::cerr);
    multiplexer.run(true, true);
    std::string errors = capture.text();
    EXPECT_EQ(0u, errors.find("Mux: fail to activate watchdog: No space left on device\n")) << errors;
    EXPECT_EQ(std::string::npos, errors.find("ping")) << errors;
    EXPECT_TRUE(stop.fired());
}

using MainLoopDeathTest = WatchdogRoot;

TEST_F(MainLoopDeathTest, NothingToWaitForAbortsWithOrWithoutTheWatchdog)
{
    EXPECT_DEATH(multiplexer.run(false, true), "multiplexer: system hang detected!!!");
    createDevice();
    EXPECT_DEATH(multiplexer.run(true, true), "multiplexer: system hang detected!!!");
}

// A bare poll-set participant watching a descriptor it does not own.
class Watcher : public EventHandler {
public:
    explicit Watcher(int fd) : fd_(fd) { mux_attach(); }
    void shedule_event(pollfd& entry) override
    {
        entry.fd = fd_;
        entry.events = POLLIN;
    }
    void svc_event(short) override {}

private:
    int fd_;
};

TEST_F(MainLoopDeathTest, PollFailureAborts)
{
    EXPECT_DEATH(
        {
            // More poll entries than the process may have descriptors.
            Pipe pipe;
            std::vector<std::unique_ptr<Watcher>> watchers;
            for (int i = 0; i < 64; ++i)
                watchers.push_back(std::make_unique<Watcher>(pipe.read.get()));
            rlimit limit{};
            ::getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = 32;
            ::setrlimit(RLIMIT_NOFILE, &limit);
            multiplexer.run(false, true);
        },
        "multiplexer poll failed: Invalid argument");
}

} // namespace
