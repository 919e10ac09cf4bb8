#pragma once
// Arithmetic on the loop's time values (seconds and microseconds, the
// microseconds 0..999999 when normalised). Sums and differences keep the
// result normalised for normalised operands; millisecond products are
// formed in 64 bits, so long spans stay right where int is 32 bits.
#include "runtime/base/MuxTime.h"

#include <string>

namespace Mux {

// {us / 1000000, us mod 1000000}
timeval make_from_usec(unsigned us);
// {ms / 1000, (ms mod 1000) * 1000}
timeval make_from_msec(unsigned ms);
void timevalset(timeval& tv, unsigned long long ms);

// a += b
void timevaladd(timeval& a, timeval const& b);
void timevaladd2(timeval const& a, timeval const& b, timeval& out);
// a -= b
void timevalsub(timeval& a, timeval const& b);
void timevalsub2(timeval const& a, timeval const& b, timeval& out);

// Whole milliseconds from a to b (truncated toward zero); 0 when b is
// earlier than a.
unsigned long long timevaldiff(timeval const& a, timeval const& b);
// -1, 0 or 1 as a is earlier than, equal to or later than b.
int timevalcompare(timeval const& a, timeval const& b);

// Local time with microseconds: "2024-05-01 12:00:00.000250".
std::string timevaltostring(timeval const& tv);

} // namespace Mux
