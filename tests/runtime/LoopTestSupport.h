#pragma once
// Runs the main loop in a test until a condition holds or a time limit
// passes; the condition is checked every few milliseconds.
#include "runtime/Multiplexer.h"
#include "runtime/MuxTime.h"
#include "runtime/Timer.h"

#include <functional>

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

    // Runs the loop for ms milliseconds.
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
