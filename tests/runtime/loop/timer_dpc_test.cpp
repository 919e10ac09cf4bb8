#include "runtime/loop/Dpc.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/base/MuxTime.h"
#include "runtime/loop/TimerPoolPlugin.h"
#include "runtime/loop/PresetTimer.h"
#include "support/LoopProbes.h"
#include "support/LoopStepper.h"
#include "support/StreamCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <poll.h>
#include <string>
#include <vector>

using looptest::After;
using looptest::Pipe;
using looptest::Probe;

namespace {

std::vector<std::string> fired;

// An owner of one Timer, in the way components hold theirs.
class Owner {
public:
    explicit Owner(std::string name) : name_(std::move(name)) {}
    void arm(unsigned ms) { timer.set(ms, &Owner::onTimer, this); }
    void armPeriodic(unsigned ms, int times)
    {
        period_ = ms;
        remaining_ = times;
        timer.set(ms, &Owner::onTick, this);
    }
    void onTimer() { fired.push_back(name_); }
    void onTick(Timer* owner)
    {
        fired.push_back(name_);
        EXPECT_EQ(&timer, owner);
        EXPECT_TRUE(owner->empty());
        if (--remaining_ > 0)
            owner->set(period_, &Owner::onTick, this);
        else
            multiplexer.terminate();
    }
    Timer timer;

private:
    std::string name_;
    unsigned period_ = 0;
    int remaining_ = 0;
};

class TimerTest : public testing::Test {
protected:
    void SetUp() override { fired.clear(); }
};

TEST_F(TimerTest, TimersDueTogetherFireInArmingOrderAndReArmingMovesToTheEnd)
{
    Owner a("a"), b("b"), c("c");
    a.arm(0);
    b.arm(0);
    c.arm(0);
    a.arm(0);
    After stop(0);

    multiplexer.run(false, true);

    EXPECT_EQ((std::vector<std::string>{"b", "c", "a"}), fired);
}

TEST_F(TimerTest, ACallbackReArmingItsTimerKeepsItPeriodic)
{
    Owner ticker("tick");
    ticker.armPeriodic(1, 3);
    After safety(3000, [] { ADD_FAILURE() << "the periodic timer stopped"; multiplexer.terminate(); });

    multiplexer.run(false, true);

    EXPECT_EQ(3u, fired.size());
    EXPECT_TRUE(ticker.timer.empty());
}

TEST_F(TimerTest, DestroyingTheOwnerOfAPendingTimerCancelsIt)
{
    auto owner = std::make_unique<Owner>("gone");
    owner->arm(0);
    EXPECT_TRUE(owner->timer.get()->armed());
    owner.reset();
    After stop(5);

    multiplexer.run(false, true);

    EXPECT_TRUE(fired.empty());
}

// The callback destroys the object holding the firing Timer.
class SelfDestroying {
public:
    explicit SelfDestroying(std::unique_ptr<SelfDestroying>& holder) : holder_(holder) {}
    void onTimer()
    {
        holder_.reset();
        multiplexer.terminate();
    }
    Timer timer;

private:
    std::unique_ptr<SelfDestroying>& holder_;
};

TEST_F(TimerTest, ACallbackMayDestroyTheOwnerOfItsTimer)
{
    std::unique_ptr<SelfDestroying> holder;
    holder = std::make_unique<SelfDestroying>(holder);
    holder->timer.set(0, &SelfDestroying::onTimer, holder.get());

    multiplexer.run(false, true);

    EXPECT_EQ(nullptr, holder);
}

void freeFunctionCallback()
{
    fired.push_back("free");
    multiplexer.terminate();
}

TEST_F(TimerTest, FreeFunctionTimerFires)
{
    Timer timer;
    timer.reset(new SimpleTimerEvent1(&timer, &freeFunctionCallback, 0));

    multiplexer.run(false, true);

    EXPECT_EQ(std::vector<std::string>{"free"}, fired);
    EXPECT_TRUE(timer.empty());
}

struct Periodic {
    void update()
    {
        ++updates;
        multiplexer.terminate();
    }
    static constexpr TimerSpec<Periodic>::Spec updateSpec{&Periodic::update, 1};
    TimerSpec<Periodic>::SpecTimer<updateSpec> timer;
    int updates = 0;
};

TEST_F(TimerTest, SpecTimerTakesItsIntervalAndCallbackFromTheRecord)
{
    Periodic periodic;
    periodic.timer.set(&periodic);
    EXPECT_FALSE(periodic.timer.empty());

    multiplexer.run(false, true);

    EXPECT_EQ(1, periodic.updates);
}

// With the per-pass clock snapshot a timer armed for 0 ms from a deferred
// call is due at exactly the time of the pass: the loop must poll without
// waiting rather than find nothing to wait for.
TEST_F(TimerTest, TimerDueNowFromADeferredCallIsNotMistakenForNoTimer)
{
    Timer timer;
    struct Arm {
        void invoke()
        {
            if (!armed) {
                armed = true;
                timer->set(0, &Arm::stop, this);
            }
        }
        void stop() { multiplexer.terminate(); }
        Timer* timer;
        bool armed = false;
    } arm{&timer};
    Dpc dpc;
    dpc.Bind(&arm, &Arm::invoke);
    dpc.Activate();

    multiplexer.run(false, false);

    EXPECT_TRUE(timer.empty());
    EXPECT_EQ(0, Mux::g_tv_time.sec);
}

TEST_F(TimerTest, DelayBeyondTwoHoursIsReportedAndMovedToOneSecond)
{
    LoopStepper loop;
    Owner late("late");
    late.arm(8000000);

    StreamCapture capture(std::cerr);
    loop.pass();
    std::string errors = capture.text();
    EXPECT_EQ("******** RUNTIME ERROR CONDITION *************"
              "Multiplexer::timers_schedule() invalid wait time detected!\n"
              "now = 1000000\nfirst = 9000000\ncount = 1\n",
              errors);
    loop.advance(999);
    EXPECT_TRUE(fired.empty());
    loop.advance(1);
    EXPECT_EQ(std::vector<std::string>{"late"}, fired);
}

// A deferred call that records its invocations.
class Recorder {
public:
    Recorder(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name))
    {
        dpc.Bind(this, &Recorder::invoke);
    }
    std::function<void()> then;
    Dpc dpc;

private:
    void invoke()
    {
        log_.push_back(name_);
        if (then)
            then();
    }
    std::vector<std::string>& log_;
    std::string name_;
};

// Runs the loop for the given number of passes: a readable pipe makes every
// poll return at once.
void runPasses(int passes)
{
    Pipe pipe;
    pipe.put();
    int seen = 0;
    Probe counter("passes", [&](Probe&, short) {
        if (++seen == passes)
            multiplexer.terminate();
    });
    counter.watch(pipe.read, POLLIN);
    multiplexer.run(false, true);
}

TEST(DeferredCall, RunsTwicePerPassWhileActiveAndActivatingAgainChangesNothing)
{
    std::vector<std::string> log;
    Recorder d(log, "d");
    d.dpc.Activate();
    d.dpc.Activate();

    runPasses(3);
    EXPECT_EQ(6u, log.size());

    d.dpc.Deactivate();
    log.clear();
    runPasses(1);
    EXPECT_TRUE(log.empty());
}

TEST(DeferredCall, DeactivatedInItsOwnInvokeItMissesTheSecondSweep)
{
    std::vector<std::string> log;
    Recorder d(log, "d");
    d.then = [&] { d.dpc.Deactivate(); };
    d.dpc.Activate();

    runPasses(2);

    EXPECT_EQ(std::vector<std::string>{"d"}, log);
    EXPECT_FALSE(d.dpc.active());
}

TEST(DeferredCall, ChangesBySweepPeersTakeEffectAtOnceForStopAndNextSweepForStart)
{
    std::vector<std::string> log;
    // A sweep runs in ascending address order, so low goes before high.
    struct Pair {
        explicit Pair(std::vector<std::string>& log) : r{{log, "low"}, {log, "high"}} {}
        Recorder r[2];
    } pair(log);
    Recorder& low = pair.r[0];
    Recorder& high = pair.r[1];

    low.then = [&] { high.dpc.Deactivate(); };
    low.dpc.Activate();
    high.dpc.Activate();
    runPasses(1);
    EXPECT_EQ((std::vector<std::string>{"low", "low"}), log);

    log.clear();
    low.then = [&] {
        if (!high.dpc.active())
            high.dpc.Activate();
    };
    runPasses(1);
    EXPECT_EQ((std::vector<std::string>{"low", "low", "high"}), log);
}

void newHandler()
{
    fired.push_back("new");
}

TEST(DeferredCall, RebindingFromInsideInvokeReplacesTheHandlerAtOnce)
{
    fired.clear();
    Dpc dpc;
    struct Rebinder {
        void invoke()
        {
            fired.push_back("old");
            dpc->Bind(new DpcHandler1(&newHandler));
        }
        Dpc* dpc;
    } rebinder{&dpc};
    dpc.Bind(&rebinder, &Rebinder::invoke);
    dpc.Activate();

    runPasses(1);

    EXPECT_EQ((std::vector<std::string>{"old", "new"}), fired);
}

} // namespace
