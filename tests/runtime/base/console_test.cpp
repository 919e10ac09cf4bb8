#include "runtime/base/Console.h"
#include "support/StreamCapture.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Puts a descriptor in place of standard input for one test.
class StdinReplaced : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GE(saved, 0); }
    void TearDown() override
    {
        dup2(saved, STDIN_FILENO);
        close(saved);
    }
    void replaceWith(int fd)
    {
        ASSERT_GE(fd, 0);
        ASSERT_EQ(STDIN_FILENO, dup2(fd, STDIN_FILENO));
        close(fd);
    }
    int saved = dup(STDIN_FILENO);
};

TEST_F(StdinReplaced, BinaryModeClearsLineEditingAndEchoButKeepsSignals)
{
    int const master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    replaceWith(open(ptsname(master), O_RDWR | O_NOCTTY));

    termios before, after;
    ASSERT_EQ(0, tcgetattr(STDIN_FILENO, &before));
    EXPECT_EQ(0, Console::SwitchToBinaryMode());
    ASSERT_EQ(0, tcgetattr(STDIN_FILENO, &after));
    EXPECT_EQ(0u, after.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOPRT | ECHOCTL));
    EXPECT_EQ(before.c_lflag & ISIG, after.c_lflag & ISIG);
    close(master);
}

TEST_F(StdinReplaced, FailuresAreReportedOnStandardError)
{
    replaceWith(open("/dev/null", O_RDONLY));
    StreamCapture errors(std::cerr);
    EXPECT_NE(0, Console::SwitchToBinaryMode());
    close(STDIN_FILENO);
    EXPECT_NE(0, Console::SwitchToNonBlockMode());
    EXPECT_EQ("can't obtain terminal attributes\ncan't switch terminal to blocked mode\n", errors.text());
}

} // namespace
