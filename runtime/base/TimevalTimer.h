#pragma once
// A periodic deadline kept in time values: a start and a period in
// milliseconds. The owner polls is_expired with the current time and moves
// the start on by one period with inc(). A period below 1 never expires.
#include "runtime/base/MuxTime.h"

namespace Mux {

struct timeval_timer {
    timeval start;
    int period = 0;

    void init(timeval const& from, int periodMs)
    {
        start = from;
        period = periodMs;
    }
    void init_now(timeval const& now) { start = now; }
    // More than one period has passed from start to now.
    bool is_expired(timeval const& now) const;
    // start += period milliseconds (nothing for a period below 1).
    void inc();
};

} // namespace Mux
