#include "runtime/base/TimeValue.h"

#include <cstdio>
#include <ctime>

namespace Mux {

namespace {

constexpr int kMicrosPerSecond = 1000000;

} // namespace

timeval make_from_usec(unsigned us)
{
    timeval tv;
    tv.sec = static_cast<int>(us / kMicrosPerSecond);
    tv.usec = static_cast<int>(us % kMicrosPerSecond);
    return tv;
}

timeval make_from_msec(unsigned ms)
{
    timeval tv;
    timevalset(tv, ms);
    return tv;
}

void timevalset(timeval& tv, unsigned long long ms)
{
    tv.sec = static_cast<int>(ms / 1000);
    tv.usec = static_cast<int>(ms % 1000) * 1000;
}

void timevaladd(timeval& a, timeval const& b)
{
    timevaladd2(a, b, a);
}

void timevaladd2(timeval const& a, timeval const& b, timeval& out)
{
    int const us = a.usec + b.usec;
    out.sec = a.sec + b.sec + us / kMicrosPerSecond;
    out.usec = us % kMicrosPerSecond;
}

void timevalsub(timeval& a, timeval const& b)
{
    timevalsub2(a, b, a);
}

void timevalsub2(timeval const& a, timeval const& b, timeval& out)
{
    int const us = a.usec - b.usec + kMicrosPerSecond;
    out.sec = a.sec - b.sec - 1 + us / kMicrosPerSecond;
    out.usec = us % kMicrosPerSecond;
}

unsigned long long timevaldiff(timeval const& a, timeval const& b)
{
    if (timevalcompare(b, a) < 0)
        return 0;
    long long const ms = (static_cast<long long>(b.sec) - a.sec) * 1000
                       + (static_cast<long long>(b.usec) - a.usec) / 1000;
    return ms > 0 ? static_cast<unsigned long long>(ms) : 0;
}

int timevalcompare(timeval const& a, timeval const& b)
{
    if (a.sec != b.sec)
        return a.sec < b.sec ? -1 : 1;
    if (a.usec != b.usec)
        return a.usec < b.usec ? -1 : 1;
    return 0;
}

std::string timevaltostring(timeval const& tv)
{
    char date[64] = "";
    std::time_t const t = tv.sec;
    std::tm local;
    if (localtime_r(&t, &local))
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
    char text[96];
    std::snprintf(text, sizeof text, "%s.%06ld", date, static_cast<long>(tv.usec));
    return text;
}

} // namespace Mux
