#include "runtime/base/MuxTime.h"

#include "runtime/base/TestClock.h"

#include <sys/time.h>

namespace Mux {

timeval g_tv_time;

namespace {

void readSystemClock(timeval& tv)
{
    if (TestClock const* clock = TestClock::installed()) {
        uint32_t ms = clock->now();
        tv.sec = static_cast<int>(ms / 1000);
        tv.usec = static_cast<int>(ms % 1000 * 1000);
        return;
    }
    ::timeval now{};
    ::gettimeofday(&now, nullptr);
    tv.sec = static_cast<int>(now.tv_sec);
    tv.usec = static_cast<int>(now.tv_usec);
}

int64_t totalMicroseconds()
{
    timeval tv;
    mux_gettimeofday(tv);
    return static_cast<int64_t>(tv.sec) * 1000000 + tv.usec;
}

} // namespace

void mux_settimeofday()
{
    readSystemClock(g_tv_time);
}

void mux_gettimeofday(timeval& tv)
{
    if (g_tv_time.sec != 0 || g_tv_time.usec != 0)
        tv = g_tv_time;
    else
        readSystemClock(tv);
}

int gettimeval(timeval& tv)
{
    mux_gettimeofday(tv);
    return 0;
}

uint32_t milliseconds()
{
    return static_cast<uint32_t>(totalMicroseconds() / 1000);
}

uint32_t microseconds()
{
    return static_cast<uint32_t>(totalMicroseconds());
}

uint32_t seconds()
{
    timeval tv;
    mux_gettimeofday(tv);
    return static_cast<uint32_t>(tv.sec);
}

} // namespace Mux
