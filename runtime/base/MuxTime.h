#pragma once
// The time base of the main loop. Milliseconds from the system clock are
// kept in 32 bits and two times are compared by their signed 32-bit
// difference, so the wrap-around every 49.7 days is harmless. A per-pass
// snapshot of the clock (g_tv_time) may stand in for the system clock; see
// Multiplexer::run. A test may put a Mux::TestClock (TestClock.h) in place
// of the system clock.
#include <cstdint>

namespace Mux {

struct timeval {
    int sec = 0;
    int usec = 0;
};

// The snapshot; zero means none has been taken.
extern timeval g_tv_time;

// Stores a fresh reading of the system clock in the snapshot.
void mux_settimeofday();
// The snapshot when there is one, else the system clock.
void mux_gettimeofday(timeval& tv);
// Same as mux_gettimeofday; returns 0.
int gettimeval(timeval& tv);

// (sec * 1000000 + usec) / 1000, computed in 64 bits, truncated to 32.
uint32_t milliseconds();
// sec * 1000000 + usec truncated to 32 bits; only differences are meaningful.
uint32_t microseconds();
uint32_t seconds();

// Signed difference a - b of two millisecond times.
inline int32_t msdiff(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b); }

} // namespace Mux
