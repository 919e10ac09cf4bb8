#pragma once
// Driving the main loop from a test: a step run after a delay, and a runner
// that keeps the loop going until a condition holds or a time limit passes
// (the condition is checked every few milliseconds).
#include "runtime/loop/Multiplexer.h"
#include "runtime/base/MuxTime.h"
#include "runtime/loop/Timer.h"

#include <functional>

struct Later {
    Later(unsigned ms, std::function<void()> step) : step(std::move(step)) { timer.set(ms, &Later::fire, this); }
    void fire() { step(); }
    std::function<void()> step;
    Timer timer;
};

class LoopRunner {
public:
    // True when done() held before timeout_ms passed.
    bool run_until(std::function<bool()> done, unsigned timeout_ms)
    {
        done_ = std::move(done);
        deadline_ = Mux::milliseconds() + timeout_ms;
        tick_.set(0, &LoopRunner::tick, this);
        multiplexer.run(false, true);
        tick_.reset();
        return done_();
    }

    void run_for(unsigned ms)
    {
        run_until([] { return false; }, ms);
    }

private:
    void tick(Timer* timer)
    {
        if (done_() || Mux::msdiff(Mux::milliseconds(), deadline_) >= 0)
            multiplexer.terminate();
        else
            timer->set(2, &LoopRunner::tick, this);
    }

    std::function<bool()> done_;
    uint32_t deadline_ = 0;
    Timer tick_;
};
