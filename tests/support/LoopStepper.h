#pragma once
// Drives the main loop from a test, one pass at a time, on a test clock:
// time moves only when the test moves it, so timed behaviour is checked
// without waiting it out. Socket I/O still takes real time to cross the
// kernel; run_until gives it that while the test clock stands still.
#include "runtime/base/MuxTime.h"
#include "runtime/base/TestClock.h"
#include "runtime/loop/Multiplexer.h"

#include <chrono>
#include <cstdint>
#include <functional>

class LoopStepper {
public:
    explicit LoopStepper(uint32_t start_ms = 1000000) : clock_(start_ms) {}

    Mux::TestClock& clock() { return clock_; }
    uint32_t now() const { return clock_.now(); }

    // One pass of the loop, waiting in poll at most max_wait_ms of real time.
    void pass(int max_wait_ms = 0) { multiplexer.run_once(max_wait_ms); }

    // Moves the clock ms forward, stopping at every deadline on the way and
    // running a pass there, so timers fire in order, each at its own time,
    // and those armed meanwhile fire too when they fall due within ms. Ends
    // with a pass at the final time.
    void advance(uint32_t ms)
    {
        uint32_t const end = clock_.now() + ms;
        bool stalled = false;
        for (;;) {
            int32_t left = Mux::msdiff(end, clock_.now());
            int wait = multiplexer.time_to_next_deadline();
            if (left < 0) {
                // A callback moved the clock beyond the end itself.
                pass();
                return;
            }
            if (wait < 0 || wait > left) {
                clock_.set(end);
                pass();
                return;
            }
            // A deadline still due after a pass at its time (a plug-in that
            // stays due) must not hold the clock back for ever.
            if (wait == 0 && stalled && left > 0)
                wait = 1;
            stalled = wait == 0;
            clock_.advance(static_cast<uint32_t>(wait));
            pass();
            if (left == 0 && stalled)
                return;
        }
    }

    // Runs passes with short real waits in poll, the test clock standing
    // still, until done() holds or real_ms_limit of real time has passed.
    bool run_until(std::function<bool()> const& done, unsigned real_ms_limit = 5000)
    {
        auto const limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(real_ms_limit);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= limit)
                return false;
            pass(realWaitMs);
        }
        return true;
    }

    // Advances the clock from deadline to deadline (at least 1 ms at a time)
    // until done() holds, for at most max_ms; done() is asked after every
    // step. True when it held.
    bool advance_until(std::function<bool()> const& done, uint32_t max_ms)
    {
        uint32_t const end = clock_.now() + max_ms;
        pass();
        while (!done()) {
            int32_t left = Mux::msdiff(end, clock_.now());
            if (left <= 0)
                return false;
            int wait = multiplexer.time_to_next_deadline();
            if (wait < 1 || wait > left)
                wait = wait < 1 && wait >= 0 ? 1 : left;
            advance(static_cast<uint32_t>(wait));
        }
        return true;
    }

private:
    static constexpr int realWaitMs = 5;

    Mux::TestClock clock_;
};
