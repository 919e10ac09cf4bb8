#include "runtime/MuxSet.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(MuxSet, TracksItsHighestDescriptor)
{
    Mux::Set s;
    EXPECT_LT(s.max(), 0);
    EXPECT_TRUE(s.set(3));
    EXPECT_TRUE(s.set(9));
    EXPECT_TRUE(s.set(5));
    EXPECT_EQ(9, s.max());
    s.clr(9);
    EXPECT_EQ(5, s.max());
    EXPECT_FALSE(s.isset(9));
    EXPECT_TRUE(s.isset(3));
    s.clr(3);
    s.clr(5);
    EXPECT_LT(s.max(), 0);
    s.set(4);
    s.zero();
    EXPECT_LT(s.max(), 0);
    EXPECT_FALSE(s.isset(4));
}

TEST(MuxSet, RefusesDescriptorsItCannotHold)
{
    Mux::Set s;
    for (int fd : {-1, FD_SETSIZE, FD_SETSIZE + 100}) {
        EXPECT_FALSE(s.set(fd)) << fd;
        EXPECT_FALSE(s.isset(fd)) << fd;
        s.clr(fd);
    }
    EXPECT_LT(s.max(), 0);
    EXPECT_TRUE(s.set(FD_SETSIZE - 1));
    EXPECT_EQ(FD_SETSIZE - 1, s.max());
}

TEST(MuxSet, HighestOfSeveralSets)
{
    Mux::Set a, b, c;
    EXPECT_LT(Mux::max_fd(a, b), 0);
    a.set(4);
    c.set(7);
    EXPECT_EQ(4, Mux::max_fd(a, b));
    EXPECT_EQ(7, Mux::max_fd(a, b, c));
}

class MuxSelect : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, pipe(fds)); }
    void TearDown() override
    {
        close(fds[0]);
        close(fds[1]);
    }
    int fds[2];
};

TEST_F(MuxSelect, ReportsReadyDescriptorsAndTimesOut)
{
    Mux::timeval const none{};
    Mux::Set r;
    r.set(fds[0]);
    EXPECT_EQ(0, Mux::select_rd(r, none));

    Mux::Set w;
    w.set(fds[1]);
    EXPECT_EQ(1, Mux::select_wr(w, none));
    EXPECT_TRUE(w.isset(fds[1]));

    ASSERT_EQ(1, write(fds[1], "x", 1));
    r.zero();
    r.set(fds[0]);
    EXPECT_EQ(1, Mux::select(r));
    EXPECT_TRUE(r.isset(fds[0]));
}

TEST_F(MuxSelect, PassesEmptySetsAsNone)
{
    ASSERT_EQ(1, write(fds[1], "x", 1));
    Mux::Set r, w, e;
    r.set(fds[0]);
    Mux::timeval limit;
    limit.usec = 100000;
    EXPECT_EQ(1, Mux::select(r, w, e, limit));
    EXPECT_EQ(1, Mux::select(r, w, e));
    r.set(fds[0]);
    EXPECT_EQ(1, Mux::select(r, w));
    EXPECT_TRUE(r.isset(fds[0]));
}

} // namespace
