#include "runtime/process/SysLogManager.h"
#include "runtime/process/SysLogStreamBuf.h"
#include "support/LogSocket.h"
#include "support/ScratchRoot.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <ostream>
#include <regex>

namespace {

// "<PRI>Mmm dd hh:mm:ss " and the rest of a record.
std::string afterTime(std::string const& record, int priority)
{
    std::smatch match;
    std::regex head("<([0-9]+)>[A-Z][a-z]{2} [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] ");
    if (!std::regex_search(record, match, head) || match.position(0) != 0)
        return "bad record: " + record;
    if (match[1] != std::to_string(priority))
        return "priority " + match[1].str() + ": " + record;
    return match.suffix();
}

class SysLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Back to the client's initial state: user facility, no options.
        syslogManager.openlog(nullptr, 0, 8);
        syslogManager.closelog();
        root.makeDir("/dev");
        startDaemon();
    }
    void TearDown() override { syslogManager.closelog(); }

    void startDaemon()
    {
        logDaemon.reset();
        logDaemon.reset(new LogSocket(root.path("/dev/log")));
        ASSERT_TRUE(logDaemon->bound());
    }

    ScratchRoot root;
    std::unique_ptr<LogSocket> logDaemon;
};

} // namespace

TEST_F(SysLog, RecordsOfOneBatchLeaveTogetherInOneDatagram)
{
    syslogManager.openlog("vlm-T1", SysLogManager::OptionNoDelay, 24);
    ASSERT_TRUE(syslogManager.connected());
    syslogManager.syslog(3, "%s", "first");
    syslogManager.syslog(8 | 7, "%d%%", 50);
    syslogManager.syslog(24 | 5, "%s", "%s stays text");
    EXPECT_TRUE(logDaemon->receive(0).empty());

    EXPECT_GT(syslogManager.sendmsg(), 0);
    auto records = logDaemon->receive();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("vlm-T1: first", afterTime(records[0], 27));
    EXPECT_EQ("vlm-T1: 50%", afterTime(records[1], 15));
    EXPECT_EQ("vlm-T1: %s stays text", afterTime(records[2], 29));
    EXPECT_EQ(0, syslogManager.sendmsg());
}

TEST_F(SysLog, IdentityPidAndDefaultFacilityShapeTheRecord)
{
    syslogManager.syslog(3, "%s", "unopened");
    syslogManager.sendmsg();
    auto records = logDaemon->receive();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("syslog-qx: unopened", afterTime(records[0], 11));

    syslogManager.openlog("", SysLogManager::OptionNoDelay, 0);
    syslogManager.syslog(3, "%s", "anonymous");
    syslogManager.openlog("id", SysLogManager::OptionNoDelay | SysLogManager::OptionPid, 0x400);
    syslogManager.syslog(3, "%s", "with pid");
    syslogManager.sendmsg();
    records = logDaemon->receive();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("anonymous", afterTime(records[0], 11));
    EXPECT_EQ("id[" + std::to_string(::getpid()) + "]: with pid", afterTime(records[1], 11));

    syslogManager.closelog();
    EXPECT_EQ("syslog-qx", syslogManager.identity());
    EXPECT_FALSE(syslogManager.connected());
}

TEST_F(SysLog, ALongMessageIsCutToTheRecordBuffer)
{
    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    syslogManager.syslog(3, "%s", std::string(3000, 'x').c_str());
    syslogManager.sendmsg();
    auto records = logDaemon->receive();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(SysLogManager::RecordSize - 1u, records[0].size());
    EXPECT_EQ("id: " + std::string(SysLogManager::RecordSize - 1 - 24, 'x'), afterTime(records[0], 11));
}

TEST_F(SysLog, AFullBatchLeavesWithoutWaitingForTheFlush)
{
    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    // Records of 925 bytes with their NUL: the 14th takes the batch past
    // 12288 bytes.
    std::string const text(900, 'y');
    for (int i = 0; i < 13; ++i)
        syslogManager.syslog(3, "%s", text.c_str());
    EXPECT_TRUE(logDaemon->receive(0).empty());
    syslogManager.syslog(3, "%s", text.c_str());
    EXPECT_EQ(14u, logDaemon->receive().size());
    syslogManager.syslog(3, "%s", "next");
    EXPECT_TRUE(logDaemon->receive(0).empty());
}

TEST_F(SysLog, ARestartedLogDaemonGetsTheBatchAfterAReconnection)
{
    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    syslogManager.syslog(3, "%s", "before");
    syslogManager.sendmsg();
    ASSERT_EQ(1u, logDaemon->receive().size());

    startDaemon();
    syslogManager.syslog(3, "%s", "after 1");
    syslogManager.syslog(3, "%s", "after 2");
    EXPECT_GT(syslogManager.sendmsg(), 0);
    auto records = logDaemon->receive();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("id: after 1", afterTime(records[0], 11));
    EXPECT_EQ("id: after 2", afterTime(records[1], 11));
}

TEST_F(SysLog, WithoutALogDaemonRecordsAreLostOrGoToTheConsole)
{
    logDaemon.reset();
    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    EXPECT_FALSE(syslogManager.connected());
    syslogManager.syslog(3, "%s", "lost");
    EXPECT_EQ(0, syslogManager.sendmsg());

    root.write("/dev/console", "");
    syslogManager.openlog(nullptr, SysLogManager::OptionConsole, 0);
    syslogManager.syslog(3, "%s", "to console %d");
    EXPECT_EQ("id: to console %d\r\n", root.read("/dev/console"));

    startDaemon();
    syslogManager.syslog(3, "%s", "back");
    syslogManager.sendmsg();
    auto records = logDaemon->receive();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("id: back", afterTime(records[0], 11));
}

TEST_F(SysLog, StreamBufferMakesOneRecordPerLineAndSendsAtTheFlush)
{
    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    ManagedSysLogStreamBuf buffer(24, 7);
    std::ostream out(&buffer);

    out << "abc\nde";
    out.flush();
    auto records = logDaemon->receive();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("id: abc", afterTime(records[0], 31));
    EXPECT_EQ("id: de", afterTime(records[1], 31));

    out << "waits ";
    out.flush();
    EXPECT_TRUE(logDaemon->receive(0).empty());
    out << "for the line end" << std::endl;
    records = logDaemon->receive();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("id: waits for the line end", afterTime(records[0], 31));
}

TEST_F(SysLog, StreamBufferSplitsAFlushOfManyLinesIntoFullBatches)
{
    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    ManagedSysLogStreamBuf buffer(24, 3);
    std::ostream out(&buffer);
    for (int i = 0; i < 300; ++i)
        out << i << '\n';
    out.flush();
    auto first = logDaemon->receive();
    auto second = logDaemon->receive();
    ASSERT_EQ(256u, first.size());
    ASSERT_EQ(44u, second.size());
    EXPECT_EQ("id: 0", afterTime(first[0], 27));
    EXPECT_EQ("id: 299", afterTime(second[43], 27));
}

TEST_F(SysLog, AStreamLogSocketIsUsedWhenTheDatagramOneIsRefused)
{
    logDaemon.reset();
    std::string const path = root.path("/dev/log");
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, ::listen(listener, 1));

    syslogManager.openlog("id", SysLogManager::OptionNoDelay, 0);
    ASSERT_TRUE(syslogManager.connected());
    syslogManager.syslog(3, "%s", "one");
    syslogManager.syslog(3, "%s", "two");
    EXPECT_GT(syslogManager.sendmsg(), 0);

    int peer = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    std::string received;
    char data[256];
    while (std::count(received.begin(), received.end(), '\0') < 2) {
        pollfd p = {peer, POLLIN, 0};
        ssize_t n = ::poll(&p, 1, 5000) == 1 ? ::read(peer, data, sizeof data) : 0;
        if (n <= 0)
            break;
        received.append(data, static_cast<size_t>(n));
    }
    size_t end = received.find('\0');
    ASSERT_NE(std::string::npos, end);
    EXPECT_EQ("id: one", afterTime(received.substr(0, end), 11));
    EXPECT_EQ("id: two", afterTime(received.substr(end + 1, received.size() - end - 2), 11));
    ::close(peer);
    ::close(listener);
    ::unlink(path.c_str());
}
