#include "runtime/base/Fd.h"
#include "runtime/loop/Signal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(Fd, CopiesOwnSeparateCloseOnExecDescriptors)
{
    int ends[2];
    ASSERT_EQ(0, ::pipe(ends));
    ::close(ends[1]);
    Fd original(ends[0]);
    Fd copy(original);
    Fd assigned;
    assigned = original;

    EXPECT_NE(original.get(), copy.get());
    EXPECT_NE(original.get(), assigned.get());
    EXPECT_EQ(FD_CLOEXEC, ::fcntl(copy.get(), F_GETFD) & FD_CLOEXEC);
    EXPECT_EQ(0, ::fcntl(original.get(), F_GETFD) & FD_CLOEXEC);

    int copied = copy.get();
    EXPECT_EQ(0, original.close());
    EXPECT_FALSE(original);
    EXPECT_TRUE(isOpen(copied));
    EXPECT_TRUE(isOpen(assigned.get()));

    Fd moved(std::move(copy));
    EXPECT_EQ(copied, moved.get());
    EXPECT_FALSE(copy);
}

TEST(Fd, EmptyDescriptorReportsBadDescriptorAndDuplicatesToNothing)
{
    Fd empty;
    EXPECT_FALSE(empty);
    errno = 0;
    EXPECT_EQ(-1, empty.close());
    EXPECT_EQ(EBADF, errno);
    EXPECT_EQ(-1, empty.dup());
    EXPECT_FALSE(empty.NonBlock());
    Fd copy(empty);
    EXPECT_FALSE(copy);
    EXPECT_FALSE(Fd(-5));
}

TEST(Fd, ModeSwitchesChangeOnlyTheirOwnFlag)
{
    int ends[2];
    ASSERT_EQ(0, ::pipe(ends));
    Fd read(ends[0]), write(ends[1]);
    int statusFlags = ::fcntl(read.get(), F_GETFL);

    EXPECT_TRUE(read.NonBlock());
    EXPECT_EQ(statusFlags | O_NONBLOCK, ::fcntl(read.get(), F_GETFL));
    EXPECT_TRUE(BlockMode(read.get()));
    EXPECT_EQ(statusFlags, ::fcntl(read.get(), F_GETFL));
    EXPECT_TRUE(SetCloexec(read.get(), true));
    EXPECT_EQ(FD_CLOEXEC, ::fcntl(read.get(), F_GETFD));
    EXPECT_TRUE(SetCloexec(read.get(), false));
    EXPECT_EQ(0, ::fcntl(read.get(), F_GETFD));
    EXPECT_FALSE(NonBlockMode(-1));
}

void noteSignal(int) {}
void noteSignalInfo(int, siginfo_t*, void*) {}

struct sigaction current(int sig)
{
    struct sigaction action {};
    sigaction(sig, nullptr, &action);
    return action;
}

TEST(Signal, InfoFlagFollowsTheHandlerKindAndInterruptionTogglesRestart)
{
    using IPC::Signal;
    ASSERT_EQ(0, Signal::handle(SIGUSR1, noteSignal, Signal::Set(SIGUSR2, SIGHUP), SA_RESTART | SA_SIGINFO));
    struct sigaction action = current(SIGUSR1);
    EXPECT_EQ(&noteSignal, action.sa_handler);
    EXPECT_EQ(SA_RESTART, action.sa_flags & (SA_RESTART | SA_SIGINFO));
    EXPECT_EQ(1, sigismember(&action.sa_mask, SIGHUP));

    ASSERT_EQ(0, Signal::handle(SIGUSR1, noteSignalInfo, 0));
    EXPECT_TRUE(current(SIGUSR1).sa_flags & SA_SIGINFO);

    ASSERT_EQ(0, Signal::enable_int(SIGUSR1));
    EXPECT_FALSE(current(SIGUSR1).sa_flags & SA_RESTART);
    ASSERT_EQ(0, Signal::disable_int(SIGUSR1));
    EXPECT_TRUE(current(SIGUSR1).sa_flags & SA_RESTART);
    EXPECT_EQ(&noteSignalInfo, current(SIGUSR1).sa_sigaction);

    ASSERT_EQ(0, Signal::system(SIGUSR1));
    EXPECT_EQ(-1, Signal::handle(0, noteSignal, 0));
}

TEST(Signal, SetTellsValidSignalNumbers)
{
    IPC::Signal::Set set(SIGTERM, SIGINT, SIGUSR2);
    EXPECT_EQ(1, sigismember(&set.get(), SIGUSR2));
    EXPECT_TRUE(set.is_signal(SIGCHLD));
    EXPECT_FALSE(set.is_signal(0));
    EXPECT_FALSE(set.is_signal(-1));
    EXPECT_FALSE(set.is_signal(100000));
}

} // namespace
