#pragma once
// A clock for tests of timed behaviour. While a TestClock exists, the main
// loop's time base (Mux::milliseconds and the other readings of MuxTime.h)
// reads the test clock's time instead of the system clock, so a test moves
// time on by calling advance() instead of waiting it out. The clock only
// moves when the test moves it. Production code never builds one; without
// one the time base reads the system clock as before.
//
// Clocks nest: the newest one is read, and its destructor hands back to the
// one before it (or to the system clock). They must be destroyed in the
// reverse order of their construction.
#include <cstdint>

namespace Mux {

class TestClock {
public:
    explicit TestClock(uint32_t start_ms = 1000000);
    ~TestClock();
    TestClock(TestClock const&) = delete;
    TestClock& operator=(TestClock const&) = delete;

    void set(uint32_t ms) { now_ = ms; }
    // Wraps modulo 2^32 like the time base itself.
    void advance(uint32_t ms) { now_ += ms; }
    uint32_t now() const { return now_; }

    // The clock the time base reads, or null for the system clock.
    static TestClock const* installed() { return installed_; }

private:
    static TestClock* installed_;

    uint32_t now_;
    TestClock* previous_;
};

} // namespace Mux
