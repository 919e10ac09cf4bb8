#include "runtime/process/LogFileStreamBuf.h"
#include "support/ScratchRoot.h"

#include <gtest/gtest.h>
#include <ctime>
#include <ostream>

namespace {

// The clock of the buffers under test.
timeval testNow;
void testClock(timeval& now) { now = testNow; }

// 2024-03-05 at hh:mm:ss and usec microseconds, in UTC (the tests' zone).
void setTime(int hour, int minute, int second, long usec)
{
    tm t = {};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    testNow.tv_sec = ::timegm(&t);
    testNow.tv_usec = static_cast<suseconds_t>(usec);
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        root.makeDir("/log");
        setTime(10, 7, 9, 42);
    }
    std::string file(char const* hour) const { return root.read(std::string("/log/2024_03_05-") + hour + ".log"); }

    ScratchRoot root;
};

} // namespace

TEST_F(LogFile, EveryLineGetsTheTimeWithinTheHour)
{
    LogFileStreamBuf buffer(root.path("/log"), testClock);
    std::ostream out(&buffer);
    out << "first" << std::endl;
    out << "two\nlines" << std::endl;
    setTime(10, 59, 59, 999999);
    out << "late" << std::endl;
    EXPECT_EQ("07:09:00042: first\n07:09:00042: two\n07:09:00042: lines\n59:59:999999: late\n", file("10"));
}

TEST_F(LogFile, PiecesOfALongLineAreJoinedUnderOnePrefix)
{
    LogFileStreamBuf buffer(root.path("/log"), testClock);
    std::ostream out(&buffer);
    std::string const longLine = "a line much longer than the sixteen bytes of the buffer";
    out << "start: ";
    out.flush();
    out << longLine << std::endl;
    EXPECT_EQ("07:09:00042: start: " + longLine + "\n", file("10"));
}

TEST_F(LogFile, TheHourChangeStartsANewFileAfterTheLineBegunBeforeIt)
{
    LogFileStreamBuf buffer(root.path("/log"), testClock);
    std::ostream out(&buffer);
    setTime(10, 59, 59, 5);
    out << "before" << std::endl << "begun ";
    out.flush();
    setTime(11, 0, 0, 7);
    out << "ended\nafter" << std::endl;
    EXPECT_EQ("59:59:00005: before\n59:59:00005: begun ended\n", file("10"));
    EXPECT_EQ("00:00:00007: after\n", file("11"));
}

TEST_F(LogFile, ARestartWithinTheHourAppendsToItsFile)
{
    {
        LogFileStreamBuf buffer(root.path("/log"), testClock);
        std::ostream(&buffer) << "old" << std::endl;
    }
    LogFileStreamBuf buffer(root.path("/log"), testClock);
    std::ostream(&buffer) << "new" << std::endl;
    EXPECT_EQ("07:09:00042: old\n07:09:00042: new\n", file("10"));
}

TEST_F(LogFile, TextStillWaitingIsWrittenWhenTheBufferGoes)
{
    {
        LogFileStreamBuf buffer(root.path("/log"), testClock);
        std::ostream(&buffer) << "no line end";
    }
    EXPECT_EQ("07:09:00042: no line end", file("10"));
}
