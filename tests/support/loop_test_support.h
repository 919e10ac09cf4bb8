#pragma once
// Helpers of the main-loop tests: pipes to watch, events that record what
// they were serviced with, and timers that stop the loop.
#include "support/LoopProbes.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Timer.h"

#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace looptest {

// Calls a function once after a delay (by default: stops the loop).
class After {
public:
    explicit After(unsigned ms, std::function<void()> action = [] { multiplexer.terminate(); })
        : action_(std::move(action))
    {
        timer_.set(ms, &After::onTimer, this);
    }
    bool fired() const { return fired_; }

private:
    void onTimer()
    {
        fired_ = true;
        action_();
    }
    Timer timer_;
    std::function<void()> action_;
    bool fired_ = false;
};

} // namespace looptest
