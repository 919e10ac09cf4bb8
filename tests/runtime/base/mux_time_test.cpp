#include "runtime/base/Measure.h"
#include "runtime/base/MuxTime.h"
#include "runtime/base/TestClock.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Points the loop's clock at a fixed time for the duration of a test.
class FixedClock : public testing::Test {
protected:
    void TearDown() override { Mux::g_tv_time = Mux::timeval(); }
    static void setClock(int sec, int usec)
    {
        Mux::g_tv_time.sec = sec;
        Mux::g_tv_time.usec = usec;
    }
};

TEST_F(FixedClock, MillisecondsAndMicrosecondsAreComputedInSixtyFourBitsThenTruncated)
{
    struct Case {
        int sec, usec;
        uint32_t ms, us, s;
    };
    Case const cases[] = {
        {1, 999, 1000, 1000999, 1},
        {4000000, 999999, 4000000999u, static_cast<uint32_t>(4000000999999ull), 4000000},
        // Beyond 2^32 ms the count wraps; 2^31 s is past 32-bit time_t.
        {5000000, 1500, static_cast<uint32_t>(5000000001ull), static_cast<uint32_t>(5000000001500ull), 5000000},
        {2147483647, 999999, static_cast<uint32_t>(2147483647999ull), static_cast<uint32_t>(2147483647999999ull),
         2147483647u},
    };
    for (auto const& c : cases) {
        setClock(c.sec, c.usec);
        EXPECT_EQ(c.ms, Mux::milliseconds()) << c.sec << "." << c.usec;
        EXPECT_EQ(c.us, Mux::microseconds()) << c.sec << "." << c.usec;
        EXPECT_EQ(c.s, Mux::seconds()) << c.sec << "." << c.usec;
    }
}

TEST_F(FixedClock, SnapshotStandsInForTheSystemClockUntilCleared)
{
    setClock(12, 345);
    Mux::timeval tv;
    EXPECT_EQ(0, Mux::gettimeval(tv));
    EXPECT_EQ(12, tv.sec);
    EXPECT_EQ(345, tv.usec);

    Mux::g_tv_time = Mux::timeval();
    Mux::mux_gettimeofday(tv);
    EXPECT_GT(tv.sec, 1000000000);

    Mux::mux_settimeofday();
    Mux::timeval again;
    Mux::mux_gettimeofday(again);
    EXPECT_EQ(Mux::g_tv_time.sec, again.sec);
    EXPECT_EQ(Mux::g_tv_time.usec, again.usec);
}

TEST(TestClock, TheTimeBaseReadsTheNewestTestClockUntilItIsGone)
{
    uint32_t const before = Mux::milliseconds();
    {
        Mux::TestClock outer;
        EXPECT_EQ(1000000u, Mux::milliseconds());
        outer.advance(1234);
        EXPECT_EQ(1001234u, Mux::milliseconds());
        EXPECT_EQ(1001234000u, Mux::microseconds());
        EXPECT_EQ(1001u, Mux::seconds());
        {
            Mux::TestClock inner(0xFFFFFFFFu);
            EXPECT_EQ(0xFFFFFFFFu, Mux::milliseconds());
            inner.advance(2);
            EXPECT_EQ(1u, Mux::milliseconds()) << "wraps like the time base";
        }
        EXPECT_EQ(1001234u, Mux::milliseconds());
        outer.set(77);
        EXPECT_EQ(77u, outer.now());
        EXPECT_EQ(77u, Mux::milliseconds());
    }
    EXPECT_EQ(nullptr, Mux::TestClock::installed());
    EXPECT_GE(Mux::msdiff(Mux::milliseconds(), before), 0) << "the system clock again";
    EXPECT_GT(Mux::seconds(), 1000000000u);
}

TEST(MillisecondDifference, IsSignedSoThatWrapAroundIsHarmless)
{
    EXPECT_EQ(10, Mux::msdiff(5u, 0xFFFFFFFBu));
    EXPECT_EQ(-10, Mux::msdiff(0xFFFFFFFBu, 5u));
    EXPECT_EQ(0, Mux::msdiff(7u, 7u));
}

TEST_F(FixedClock, MeasureKeepsMinMaxLastAndCountAcrossTheMicrosecondWrap)
{
    Measure m;
    EXPECT_TRUE(m.empty());
    struct Sample {
        int startSec, startUsec, endSec, endUsec;
    };
    // The last sample crosses the 2^32 us wrap (4294.967296 s).
    Sample const samples[] = {{10, 0, 10, 400}, {20, 0, 20, 250}, {4294, 967000, 4294, 967600}};
    for (auto const& s : samples) {
        setClock(s.startSec, s.startUsec);
        m.begin();
        setClock(s.endSec, s.endUsec);
        m.end();
    }
    EXPECT_EQ(250u, m.min());
    EXPECT_EQ(600u, m.max());
    EXPECT_EQ(600u, m.current());
    EXPECT_EQ(3u, m.counter());

    std::ostringstream text;
    m.put(text);
    EXPECT_EQ("min=250 max=600 avg=600 counter=3", text.str());
}

} // namespace
