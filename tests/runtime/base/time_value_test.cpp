#include "runtime/base/TimeValue.h"
#include "runtime/base/TimevalTimer.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>

namespace Mux {
bool operator==(timeval const& a, timeval const& b) { return a.sec == b.sec && a.usec == b.usec; }
std::ostream& operator<<(std::ostream& out, timeval const& t) { return out << t.sec << "s" << t.usec; }
} // namespace Mux

namespace {

Mux::timeval tv(int sec, int usec)
{
    Mux::timeval t;
    t.sec = sec;
    t.usec = usec;
    return t;
}

TEST(TimeValue, MadeFromMicrosecondsAndMilliseconds)
{
    EXPECT_EQ(tv(4294, 967295), Mux::make_from_usec(4294967295u));
    EXPECT_EQ(tv(4294967, 295000), Mux::make_from_msec(4294967295u));
    Mux::timeval t;
    Mux::timevalset(t, 6000000123ULL);
    EXPECT_EQ(tv(6000000, 123000), t);
}

TEST(TimeValue, AddsAndSubtractsWithCarry)
{
    struct Case { Mux::timeval a, b, sum, difference; };
    Case const cases[] = {
        {tv(5, 100), tv(2, 200), tv(7, 300), tv(2, 999900)},
        {tv(1, 999999), tv(0, 1), tv(2, 0), tv(1, 999998)},
        {tv(3, 500000), tv(1, 500000), tv(5, 0), tv(2, 0)},
        {tv(2, 0), tv(2, 1), tv(4, 1), tv(-1, 999999)},
    };
    for (auto const& c : cases) {
        Mux::timeval out, a = c.a;
        Mux::timevaladd2(c.a, c.b, out);
        Mux::timevaladd(a, c.b);
        EXPECT_EQ(c.sum, out);
        EXPECT_EQ(c.sum, a);
        a = c.a;
        Mux::timevalsub2(c.a, c.b, out);
        Mux::timevalsub(a, c.b);
        EXPECT_EQ(c.difference, out);
        EXPECT_EQ(c.difference, a);
    }
}

TEST(TimeValue, DifferenceInMillisecondsAndComparison)
{
    struct Case { Mux::timeval a, b; unsigned long long ms; int order; };
    Case const cases[] = {
        {tv(1, 999999), tv(2, 0), 1, -1},
        {tv(2, 0), tv(1, 999999), 0, 1},
        {tv(5, 0), tv(5, 0), 0, 0},
        {tv(5, 0), tv(5, 1999), 1, -1},
        {tv(10, 0), tv(12, 345678), 2345, -1},
        // Spans whose millisecond count does not fit in 32 bits.
        {tv(0, 0), tv(3000000, 0), 3000000000ULL, -1},
        {tv(-2000000000, 0), tv(2000000000, 0), 4000000000000ULL, -1},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c.ms, Mux::timevaldiff(c.a, c.b)) << c.a << " -> " << c.b;
        EXPECT_EQ(c.order, Mux::timevalcompare(c.a, c.b));
        EXPECT_EQ(-c.order, Mux::timevalcompare(c.b, c.a));
    }
}

TEST(TimeValue, FormatsLocalTimeWithMicroseconds)
{
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ("2024-05-01 12:00:00.000250", Mux::timevaltostring(tv(1714564800, 250)));
}

TEST(TimevalTimer, ExpiresAfterMoreThanOnePeriodAndSteps)
{
    Mux::timeval_timer timer;
    timer.init(tv(100, 0), 250);
    EXPECT_FALSE(timer.is_expired(tv(100, 250999)));
    EXPECT_TRUE(timer.is_expired(tv(100, 251000)));
    EXPECT_FALSE(timer.is_expired(tv(99, 0)));
    for (int i = 0; i < 4; ++i)
        timer.inc();
    EXPECT_EQ(tv(101, 0), timer.start);

    timer.init(tv(1, 0), 0);
    EXPECT_FALSE(timer.is_expired(tv(1000000, 0)));
    timer.inc();
    EXPECT_EQ(tv(1, 0), timer.start);
}

} // namespace
