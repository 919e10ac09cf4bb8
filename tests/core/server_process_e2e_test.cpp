// The server program's life as seen from outside: command line, start-up,
// configuration, signals, pid file and daemon mode.
#include "support/ControllerLink.h"
#include "support/LogSocket.h"

#include <gtest/gtest.h>
#include <regex>

using namespace e2e;

namespace {

struct OptionCase {
    std::vector<std::string> args;
    int status;
    bool onStdout; // the text goes to standard output, else to standard error
    std::string text;
};

class ProgramOptions : public ::testing::TestWithParam<OptionCase> {};

} // namespace

TEST_P(ProgramOptions, PrintAndExitWithTheirStatus)
{
    OptionCase const& c = GetParam();
    ServerUnderTest server;
    server.start(c.args);
    EXPECT_EQ(c.status, exitCode(server.waitExit()));
    std::string shown = c.onStdout ? server.out() : server.err();
    EXPECT_EQ(0u, shown.find(c.text)) << shown;
    EXPECT_FALSE(server.root().exists("/var/run/server.pid"));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ProgramOptions,
    ::testing::Values(OptionCase{{"--version"}, 2, true, "server version: T"},
                      OptionCase{{"--help"}, 0, true, "usage: server [options]\n"},
                      OptionCase{{"-h"}, 0, true, "usage: server [options]\n"},
                      OptionCase{{"--bogus"}, 2, false, "usage: server [options]\n"},
                      OptionCase{{"--port", "http"}, 2, false, "usage: server [options]\n"}));

TEST(ServerProcess, VersionLineMatchesTheStartingLine)
{
    ServerUnderTest version;
    version.start({"--version"});
    ASSERT_EQ(2, exitCode(version.waitExit()));
    std::string tag = version.out().substr(std::string("server version: ").size());
    ASSERT_FALSE(tag.empty());
    tag.pop_back(); // the line end

    ServerUnderTest server;
    unsigned short port = server.startOnFreePort();
    EXPECT_TRUE(server.errShows("Starting server " + tag + ", port=" + std::to_string(port) + "\n"));
}

TEST(ServerProcess, StopSignalsEndWithStatusZeroAndRemoveThePidFile)
{
    for (int sig : {SIGTERM, SIGINT}) {
        ServerUnderTest server;
        server.startOnFreePort();
        ASSERT_TRUE(server.pidFileWritten());
        EXPECT_EQ(std::to_string(server.pid()), server.root().read("/var/run/server.pid"));
        ASSERT_TRUE(server.signal(sig));
        EXPECT_EQ(0, exitCode(server.waitExit())) << strsignal(sig);
        EXPECT_FALSE(server.root().exists("/var/run/server.pid")) << strsignal(sig);
    }
}

TEST(ServerProcess, StopClosesTheControllersConnection)
{
    ServerUnderTest server;
    ControllerLink controller;
    ASSERT_TRUE(controller.connectServed(server.startOnFreePort()));
    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_TRUE(controller.closedByServer());
    EXPECT_EQ(0, exitCode(server.waitExit()));
}

TEST(ServerProcess, PidFileTakenOverByAnotherProcessIsLeftInPlace)
{
    ServerUnderTest server;
    server.startOnFreePort();
    ASSERT_TRUE(server.pidFileWritten());
    server.root().write("/var/run/server.pid", "999999");
    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_EQ(0, exitCode(server.waitExit()));
    EXPECT_EQ("999999", server.root().read("/var/run/server.pid"));
}

TEST(ServerProcess, IgnoresSigpipeAndKeepsRunningAfterHangup)
{
    ServerUnderTest server;
    server.startOnFreePort();
    ASSERT_TRUE(server.pidFileWritten());
    ASSERT_TRUE(server.signal(SIGPIPE));
    ASSERT_TRUE(server.signal(SIGHUP));
    ASSERT_TRUE(server.signal(SIGUSR2)); // the dump shows the server went on serving
    EXPECT_TRUE(eventually([&] { return server.root().exists("/var/log/server-status"); }));
    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_EQ(0, exitCode(server.waitExit()));
}

TEST(ServerProcess, StatusDumpRewritesTheStatusFile)
{
    ServerUnderTest server;
    std::string stale;
    for (int i = 0; i < 10000; ++i)
        stale += "stale line\n";
    server.root().write("/var/log/server-status", stale);
    server.startOnFreePort();
    ASSERT_TRUE(server.pidFileWritten());
    ASSERT_TRUE(server.signal(SIGUSR2));
    std::string dump;
    EXPECT_TRUE(eventually([&] {
        dump = server.root().read("/var/log/server-status");
        return dump.find("timer transition measurement") != std::string::npos;
    })) << dump;
    EXPECT_TRUE(std::regex_search(dump, std::regex("^=+ server status [-0-9]+ [:0-9]+ =+\nversion : T[-0-9]+\n")))
        << dump;
    EXPECT_EQ(std::string::npos, dump.find("stale line"));
    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_EQ(0, exitCode(server.waitExit()));
}

TEST(ServerProcess, ReadsTheTraceSectionOfItsConfigurationFile)
{
    ServerUnderTest server;
    server.root().write("/usr/local/etc/server.conf", "[traces]\nsignalling.hdlc = maybe\n");
    server.startOnFreePort();
    EXPECT_TRUE(server.errShows("traces: optional key \"signalling.hdlc\" has invalid value=\"maybe\", line 2."));
    ASSERT_TRUE(server.pidFileWritten()); // the signal handlers are in place
    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_EQ(0, exitCode(server.waitExit()));
}

TEST(ServerProcess, DaemonLogsToSyslogAndStopsOnSigterm)
{
    ServerUnderTest server;
    server.root().makeDir("/dev");
    LogSocket logDaemon(server.root().path("/dev/log"));
    ASSERT_TRUE(logDaemon.bound());
    unsigned short port = server.startOnFreePort({"--daemon"});
    EXPECT_EQ(0, exitCode(server.waitExit())); // the parent leaves at once

    std::string starting;
    for (int i = 0; i < 20 && starting.empty(); ++i) {
        for (std::string const& record : logDaemon.receive(2000)) {
            if (record.find("Starting server ") != std::string::npos)
                starting = record;
        }
    }
    EXPECT_TRUE(std::regex_match(starting, std::regex("<31>.{16}vlm-T[-0-9]+: Starting server T[-0-9]+, port="
                                                      + std::to_string(port))))
        << starting;

    ASSERT_TRUE(server.pidFileWritten());
    pid_t daemon = std::stoi(server.root().read("/var/run/server.pid"));
    ASSERT_EQ(0, ::kill(daemon, SIGTERM));
    EXPECT_TRUE(eventually([&] { return !server.root().exists("/var/run/server.pid"); }));
    EXPECT_TRUE(eventually([&] { return ::kill(daemon, 0) != 0; }));
}
