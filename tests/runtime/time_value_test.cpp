#include "runtime/TimeValue.h"
#include "runtime/TimevalTimer.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>

namespace {

Mux::timeval tv(int sec, int usec)
{
    Mux::timeval t;
    t.sec = sec;
    t.usec = usec;
    return t;
}

void expectTime(Mux::timeval const& expected, Mux::timeval const& actual, char const* what)
{
    EXPECT_EQ(expected.sec, actual.sec) << what;
    EXPECT_EQ(expected.usec, actual.usec) << what;
}

TEST(TimeValue, MadeFromMicrosecondsAndMilliseconds)
{
    expectTime(tv(0, 0), Mux::make_from_usec(0), "0 us");
    expectTime(tv(1, 234567), Mux::make_from_usec(1234567), "1234567 us");
    expectTime(tv(4294, 967295), Mux::make_from_usec(4294967295u), "largest us");
    expectTime(tv(1, 500000), Mux::make_from_msec(1500), "1500 ms");
    expectTime(tv(4294967, 295000), Mux::make_from_msec(4294967295u), "largest ms");
    Mux::timeval t;
    Mux::timevalset(t, 6000000123ULL);
    expectTime(tv(6000000, 123000), t, "ms beyond 32 bits");
}

TEST(TimeValue, AddsAndSubtractsWithCarry)
{
    struct Case { Mux::timeval a, b, sum, difference; };
    Case const cases[] = {
        {tv(5, 100), tv(2, 200), tv(7, 300), tv(2, 999900)},
        {tv(1, 999999), tv(0, 1), tv(2, 0), tv(1, 999998)},
        {tv(3, 500000), tv(1, 500000), tv(5, 0), tv(2, 0)},
        {tv(0, 0), tv(0, 0), tv(0, 0), tv(0, 0)},
        {tv(2, 0), tv(2, 1), tv(4, 1), tv(-1, 999999)},
    };
    for (auto const& c : cases) {
        Mux::timeval out;
        Mux::timevaladd2(c.a, c.b, out);
        expectTime(c.sum, out, "add2");
        Mux::timevalsub2(c.a, c.b, out);
        expectTime(c.difference, out, "sub2");
        Mux::timeval a = c.a;
        Mux::timevaladd(a, c.b);
        expectTime(c.sum, a, "add");
        a = c.a;
        Mux::timevalsub(a, c.b);
        expectTime(c.difference, a, "sub");
    }
}

TEST(TimeValue, DifferenceInMillisecondsAndComparison)
{
    struct Case { Mux::timeval a, b; unsigned long long ms; int order; };
    Case const cases[] = {
        {tv(1, 999999), tv(2, 0), 1, -1},
        {tv(2, 0), tv(1, 999999), 0, 1},
        {tv(5, 0), tv(5, 0), 0, 0},
        {tv(5, 1000), tv(5, 999), 0, 1},
        {tv(5, 0), tv(5, 1999), 1, -1},
        {tv(10, 0), tv(12, 345678), 2345, -1},
        // More than 24.8 days apart: beyond a 32-bit millisecond product.
        {tv(0, 0), tv(3000000, 0), 3000000000ULL, -1},
        {tv(-2000000000, 0), tv(2000000000, 0), 4000000000000ULL, -1},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c.ms, Mux::timevaldiff(c.a, c.b)) << c.a.sec << "." << c.a.usec << " -> " << c.b.sec << "." << c.b.usec;
        EXPECT_EQ(c.order, Mux::timevalcompare(c.a, c.b));
        EXPECT_EQ(-c.order, Mux::timevalcompare(c.b, c.a));
    }
}

TEST(TimeValue, FormatsLocalTimeWithMicroseconds)
{
    char const* oldTz = std::getenv("TZ");
    std::string const saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ("2024-05-01 12:00:00.000250", Mux::timevaltostring(tv(1714564800, 250)));
    EXPECT_EQ("1970-01-01 00:00:00.999999", Mux::timevaltostring(tv(0, 999999)));
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(TimevalTimer, ExpiresAfterMoreThanOnePeriodAndSteps)
{
    Mux::timeval_timer timer;
    timer.init(tv(100, 0), 250);
    EXPECT_FALSE(timer.is_expired(tv(100, 250000)));
    EXPECT_FALSE(timer.is_expired(tv(100, 250999)));
    EXPECT_TRUE(timer.is_expired(tv(100, 251000)));
    EXPECT_FALSE(timer.is_expired(tv(99, 0)));
    timer.inc();
    expectTime(tv(100, 250000), timer.start, "one step");
    timer.inc();
    timer.inc();
    timer.inc();
    expectTime(tv(101, 0), timer.start, "four steps");

    timer.init_now(tv(7, 0));
    EXPECT_EQ(250, timer.period);
    EXPECT_TRUE(timer.is_expired(tv(8, 0)));
}

TEST(TimevalTimer, WithoutAPositivePeriodNeverExpires)
{
    for (int period : {0, -5}) {
        Mux::timeval_timer timer;
        timer.init(tv(1, 0), period);
        EXPECT_FALSE(timer.is_expired(tv(1000000, 0)));
        timer.inc();
        expectTime(tv(1, 0), timer.start, "unchanged");
    }
}

} // namespace
