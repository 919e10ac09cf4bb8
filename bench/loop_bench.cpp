// Costs of the main loop's bookkeeping: arming timers among many pending
// ones, firing them, sweeping deferred calls and building and servicing the
// poll set.
#include "runtime/loop/Dpc.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Timer.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <iostream>
#include <memory>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

struct Idle {
    void onTimer() {}
    void onDpc() {}
    void onEvent(int, short) {}
};

// Timers pending far enough ahead never to fire during a benchmark, spread
// over an hour so that a new one lands among them.
class PendingTimers {
public:
    explicit PendingTimers(int count) : timers_(static_cast<std::size_t>(count))
    {
        unsigned delay = 1800000;
        for (Timer& t : timers_) {
            delay = (delay * 7 + 13) % 3600000 + 600000;
            t.set(delay, &Idle::onTimer, &idle_);
        }
    }

private:
    Idle idle_;
    std::vector<Timer> timers_;
};

// Keeps "Mux: terminating..." out of the results.
class QuietLog {
public:
    QuietLog() : saved_(std::clog.rdbuf(nullptr)) {}
    ~QuietLog()
    {
        std::clog.rdbuf(saved_);
        std::clog.clear();
    }

private:
    std::streambuf* saved_;
};

// A pipe that is always readable, so that every poll returns at once; its
// handler ends the run when the benchmark has enough iterations.
class PassDriver {
public:
    explicit PassDriver(benchmark::State& state) : state_(state)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            read_ = Fd(ends[0]);
            write_ = Fd(ends[1]);
            char c = 'x';
            if (::write(write_.get(), &c, 1) != 1)
                state.SkipWithError("pipe write failed");
        }
        event_.Bind("driver", &PassDriver::onEvent, this);
        event_.Schedule(read_, POLLIN);
    }

    void run()
    {
        QuietLog quiet;
        multiplexer.run(false, true);
    }

private:
    void onEvent(int, short)
    {
        if (!state_.KeepRunning())
            multiplexer.terminate();
    }

    benchmark::State& state_;
    Fd read_, write_;
    Event event_;
};

void BM_TimerArmAndCancel(benchmark::State& state)
{
    PendingTimers pending(static_cast<int>(state.range(0)));
    Idle idle;
    Timer timer;
    for (auto _ : state) {
        timer.set(2400000, &Idle::onTimer, &idle);
        timer.reset();
    }
}
BENCHMARK(BM_TimerArmAndCancel)->Arg(10)->Arg(1000);

// Re-arms a 0 ms timer from its own callback; with the clock frozen for the
// pass every re-armed timer fires in the same timer step.
class Refire {
public:
    explicit Refire(benchmark::State& state) : state_(state) {}
    void start() { timer_.set(0, &Refire::onTimer, this); }

private:
    void onTimer()
    {
        if (state_.KeepRunning())
            timer_.set(0, &Refire::onTimer, this);
        else
            multiplexer.terminate();
    }
    benchmark::State& state_;
    Timer timer_;
};

void BM_TimerArmAndFire(benchmark::State& state)
{
    PendingTimers pending(static_cast<int>(state.range(0)));
    Refire refire(state);
    refire.start();
    QuietLog quiet;
    multiplexer.run(false, false);
}
BENCHMARK(BM_TimerArmAndFire)->Arg(10)->Arg(1000);

// One pass of the loop (two sweeps) with this many active deferred calls.
void BM_PassWithDeferredCalls(benchmark::State& state)
{
    Idle idle;
    std::vector<std::unique_ptr<Dpc>> dpcs;
    for (int i = 0; i < state.range(0); ++i) {
        dpcs.push_back(std::make_unique<Dpc>());
        dpcs.back()->Bind(&idle, &Idle::onDpc);
        dpcs.back()->Activate();
    }
    PassDriver driver(state);
    driver.run();
}
BENCHMARK(BM_PassWithDeferredCalls)->Arg(0)->Arg(100);

// One pass of the loop with this many idle handlers besides the driver.
void BM_PassWithIdleHandlers(benchmark::State& state)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        state.SkipWithError("pipe failed");
        return;
    }
    Fd quietRead(ends[0]), quietWrite(ends[1]);
    Idle idle;
    std::vector<std::unique_ptr<Event>> events;
    for (int i = 0; i < state.range(0); ++i) {
        events.push_back(std::make_unique<Event>());
        events.back()->Bind("idle", &Idle::onEvent, &idle);
        events.back()->Schedule(quietRead, POLLIN);
    }
    PassDriver driver(state);
    driver.run();
}
BENCHMARK(BM_PassWithIdleHandlers)->Arg(0)->Arg(100);

} // namespace
