#include "runtime/process/Daemon.h"
#include "support/LogSocket.h"
#include "support/ScratchRoot.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string workingDirectory()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "?";
}

// Runs body in a child that enters daemon mode with params; returns the
// child's exit status, which daemon() gives as the parent's 0. The body runs
// in the detached grandchild and must end with _exit.
template <class Body>
int runDaemon(Daemon::Params const& params, Body body)
{
    pid_t child = ::fork();
    if (child == 0) {
        Daemon::Init(params);
        pid_t detached = ::getpid();
        Daemon::Init(params);
        body(::getpid() == detached ? "one fork" : "forked again");
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return status;
}

// The text after "<PRI>Mmm dd hh:mm:ss ".
std::string afterHead(std::string const& record, std::string const& pri)
{
    std::regex head("<" + pri + ">[A-Z][a-z]{2} [ 1-3][0-9] [0-9:]{8} ");
    std::smatch match;
    if (!std::regex_search(record, match, head) || match.position(0) != 0)
        return "bad record: " + record;
    return match.suffix();
}

} // namespace

TEST(DaemonMode, SystemLogModeSendsEachStreamAtItsSeverity)
{
    ScratchRoot root;
    root.makeDir("/dev");
    LogSocket logDaemon(root.path("/dev/log"));
    ASSERT_TRUE(logDaemon.bound());

    Daemon::Params params;
    params.name = "vlm-" + std::string(96, 'n');
    int status = runDaemon(params, [](char const* forks) {
        std::cout << forks << " in " << workingDirectory() << std::endl;
        std::cerr << "error" << std::endl;
        std::clog << "progress" << std::endl;
        ssize_t written = ::write(2, "straight", 8);
        (void)written;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));

    std::string const identity = params.name.substr(0, 79);
    auto out = logDaemon.receive();
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(identity + ": one fork in /", afterHead(out[0], "29"));
    auto err = logDaemon.receive();
    ASSERT_EQ(1u, err.size());
    EXPECT_EQ(identity + ": error", afterHead(err[0], "27"));
    auto log = logDaemon.receive();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(identity + ": progress", afterHead(log[0], "31"));
    EXPECT_EQ(std::vector<std::string>{"<raw>straight"}, logDaemon.receive());
}

TEST(DaemonMode, LogFileModeSendsAllStreamsToTheHourlyFile)
{
    ScratchRoot root;
    root.makeDir("/log");
    Daemon::Params params;
    params.mode = 1;
    params.noChdir = true;
    params.name = "/log";
    int status = runDaemon(params, [](char const* forks) {
        std::cout << forks << " in " << workingDirectory() << std::endl;
        std::cerr << "error" << std::endl;
        std::clog << "progress" << std::endl;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));

    // The detached process may still be writing; an hour may also turn
    // between its lines.
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::count(text.begin(), text.end(), '\n') < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        text.clear();
        for (auto const& entry : std::filesystem::directory_iterator(root.path("/log")))
            text += root.read("/log/" + entry.path().filename().string());
    }
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::regex prefix("[0-9]{2}:[0-9]{2}:[0-9]{5,6}: ");
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        lines.push_back(std::regex_search(line, match, prefix) && match.position(0) == 0 ? match.suffix().str()
                                                                                           : "bad line: " + line);
    }
    std::vector<std::string> const expected = {"one fork in " + workingDirectory(), "error", "progress"};
    EXPECT_EQ(expected, lines);
}
