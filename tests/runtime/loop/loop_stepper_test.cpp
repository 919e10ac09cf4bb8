// The test clock and the one-pass loop the timed tests are built on: if the
// stepper fired a timer early, late or out of order, every timed test above
// it would prove nothing.
#include "support/LoopStepper.h"
#include "support/LoopProbes.h"

#include "runtime/loop/Timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <poll.h>
#include <random>
#include <vector>

namespace {

// Records the clock whenever it fires, in its own list and in a timeline
// shared by all; may arm a follow-up from its callback.
struct Alarm {
    void arm(unsigned ms)
    {
        if (!timer.empty())
            dues.pop_back();
        dues.push_back(Mux::milliseconds() + ms);
        timer.set(ms, &Alarm::ring, this);
    }
    void ring()
    {
        firedAt.push_back(Mux::milliseconds());
        if (timeline)
            timeline->push_back(firedAt.back());
        if (followUp > 0) {
            unsigned ms = followUp;
            followUp = 0;
            arm(ms);
        }
    }
    Timer timer;
    unsigned followUp = 0;
    std::vector<uint32_t> dues;
    std::vector<uint32_t> firedAt;
    std::vector<uint32_t>* timeline = nullptr;
};

TEST(LoopStepper, ManyRandomTimersFireInOrderEachExactlyAtItsTime)
{
    LoopStepper loop;
    std::mt19937 random(20261207);
    std::vector<uint32_t> timeline;
    std::vector<std::unique_ptr<Alarm>> alarms;
    for (int i = 0; i < 500; ++i) {
        alarms.push_back(std::make_unique<Alarm>());
        Alarm& alarm = *alarms.back();
        alarm.timeline = &timeline;
        alarm.arm(random() % 20000);
        // Some arm a second timer when they fire; some are re-armed before.
        if (i % 3 == 0)
            alarm.followUp = static_cast<unsigned>(random() % 5000);
        if (i % 7 == 0)
            alarm.arm(random() % 3 == 0 ? 0 : random() % 20000);
    }
    // In uneven strides, so that most strides end between deadlines.
    while (Mux::msdiff(loop.now(), 1000000 + 25000) < 0)
        loop.advance(static_cast<uint32_t>(1 + random() % 997));

    for (auto const& alarm : alarms)
        EXPECT_EQ(alarm->dues, alarm->firedAt) << "fired early, late, twice or not at all";
    EXPECT_TRUE(std::is_sorted(timeline.begin(), timeline.end()));
}

TEST(LoopStepper, AdvanceStopsAtEachDeadlineAndNowhereElse)
{
    struct Case {
        unsigned armed;
        uint32_t advanced;
        bool fired;
    };
    Case const cases[] = {
        {0, 0, true},      // due now: the pass at the same time fires it
        {100, 99, false},  // one short
        {100, 100, true},  // exactly due
        {100, 5000, true}, // overshooting still fires it at its own time
    };
    for (auto const& c : cases) {
        LoopStepper loop;
        Alarm alarm;
        alarm.arm(c.armed);
        loop.advance(c.advanced);
        EXPECT_EQ(c.fired, !alarm.firedAt.empty()) << c.armed << " ms armed, " << c.advanced << " ms advanced";
        if (c.fired) {
            EXPECT_EQ(1000000u + c.armed, alarm.firedAt.front());
        }
        EXPECT_EQ(1000000u + c.advanced, loop.now());
    }
}

TEST(LoopStepper, AdvanceUntilStopsAtTheDeadlineThatMadeTheConditionTrue)
{
    LoopStepper loop;
    Alarm first, second;
    first.arm(300);
    first.followUp = 700;
    EXPECT_TRUE(loop.advance_until([&] { return first.firedAt.size() == 2; }, 5000));
    EXPECT_EQ(1001000u, loop.now());

    second.arm(4000);
    EXPECT_FALSE(loop.advance_until([&] { return !second.firedAt.empty(); }, 3999));
    EXPECT_EQ(1004999u, loop.now());
}

TEST(LoopStepper, RealWaitsEndAtIOOrATimerOfTheTestClockButLeaveTheClockAlone)
{
    LoopStepper loop;
    looptest::Pipe pipe;
    looptest::Probe probe("probe");
    probe.watch(pipe.read, POLLIN);

    // 50 ms to the timer on the test clock bound a pass's real wait, though
    // the timer cannot fire while the test clock stands still.
    Alarm alarm;
    alarm.arm(50);
    auto start = std::chrono::steady_clock::now();
    loop.pass(60000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_TRUE(alarm.firedAt.empty());

    pipe.put();
    EXPECT_TRUE(loop.run_until([&] { return !probe.serviced.empty(); }));
    EXPECT_FALSE(loop.run_until([&] { return !alarm.firedAt.empty(); }, 20));
    EXPECT_EQ(1000000u, loop.now());
    loop.advance(50);
    EXPECT_EQ(1u, alarm.firedAt.size());
}

} // namespace
