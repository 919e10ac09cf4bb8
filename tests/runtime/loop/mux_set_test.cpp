#include "runtime/loop/MuxSet.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(MuxSet, TracksItsHighestDescriptorAndRefusesOnesItCannotHold)
{
    Mux::Set s, other;
    EXPECT_LT(s.max(), 0);
    for (int fd : {-1, FD_SETSIZE, FD_SETSIZE + 100})
        EXPECT_FALSE(s.set(fd)) << fd;
    EXPECT_LT(s.max(), 0);
    EXPECT_TRUE(s.set(3));
    EXPECT_TRUE(s.set(FD_SETSIZE - 1));
    EXPECT_EQ(FD_SETSIZE - 1, s.max());
    s.clr(FD_SETSIZE - 1);
    EXPECT_EQ(3, s.max());
    other.set(7);
    EXPECT_EQ(7, Mux::max_fd(s, other));
    EXPECT_EQ(7, Mux::max_fd(s, Mux::Set(), other));
    s.clr(3);
    EXPECT_LT(s.max(), 0);
}

TEST(MuxSet, SelectReportsReadyDescriptorsAndTimesOut)
{
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    Mux::timeval const none{};
    Mux::Set r, w, e;
    r.set(fds[0]);
    EXPECT_EQ(0, Mux::select_rd(r, none));
    w.set(fds[1]);
    EXPECT_EQ(1, Mux::select_wr(w, none));

    ASSERT_EQ(1, write(fds[1], "x", 1));
    r.set(fds[0]);
    w.zero();
    EXPECT_EQ(1, Mux::select(r, w, e, none));
    EXPECT_EQ(1, Mux::select(r));
    EXPECT_TRUE(r.isset(fds[0]));
    close(fds[0]);
    close(fds[1]);
}

} // namespace
