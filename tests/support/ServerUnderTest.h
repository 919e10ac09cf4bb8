#pragma once
// Runs the real server program (or another program of the build tree, such
// as a tool) for an end-to-end test: the binary of the build tree under test
// (SERVER_TEST_BINARY_DIR), through the cross build's emulator when
// SERVER_TEST_EMULATOR names one, with SERVER_ROOT set to a scratch
// directory and its standard output and error in files there.
#include "support/ScratchRoot.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Deadlines stretch when the server runs under the emulator or with the
// sanitizers.
inline milliseconds patience(milliseconds base)
{
    return std::getenv("SERVER_TEST_EMULATOR") ? base * 4 : base;
}

// Polls until condition holds or the time is up; returns the last answer.
template <class Condition>
bool eventually(Condition condition, milliseconds limit = patience(milliseconds(10000)))
{
    auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return condition();
        std::this_thread::sleep_for(milliseconds(10));
    }
    return true;
}

// A TCP port on loopback that nothing listens on at the moment.
inline unsigned short freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned short port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// A program of the build tree under test, by its path in the tree.
inline std::string builtProgram(std::string const& relative)
{
    char const* dir = std::getenv("SERVER_TEST_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/" + relative;
}

// The emulator command, split at blanks; empty for a native build.
inline std::vector<std::string> emulator()
{
    std::vector<std::string> words;
    std::istringstream in(std::getenv("SERVER_TEST_EMULATOR") ? std::getenv("SERVER_TEST_EMULATOR") : "");
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

class ServerUnderTest {
public:
    // The scratch root gets the directories the server writes into.
    ServerUnderTest()
    {
        root_.makeDir("/var/run");
        root_.makeDir("/var/log");
        root_.makeDir("/usr/local/etc");
    }

    ~ServerUnderTest()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    ServerUnderTest(ServerUnderTest const&) = delete;
    ServerUnderTest& operator=(ServerUnderTest const&) = delete;

    ScratchRoot const& root() const { return root_; }

    // Starts the server with these arguments after the program name.
    void start(std::vector<std::string> const& args) { startProgram("core/server", args); }

    // Starts another program of the build tree the same way; its standard
    // input is the file "/stdin.txt" under the root when there is one.
    void startProgram(std::string const& relative, std::vector<std::string> const& args)
    {
        std::vector<std::string> command = emulator();
        command.push_back(builtProgram(relative));
        command.insert(command.end(), args.begin(), args.end());
        std::string out = root_.path("/stdout.txt");
        std::string err = root_.path("/stderr.txt");
        std::string in = root_.exists("/stdin.txt") ? root_.path("/stdin.txt") : "/dev/null";
        pid_ = ::fork();
        if (pid_ == 0) {
            int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int n = ::open(in.c_str(), O_RDONLY);
            if (o < 0 || e < 0 || n < 0 || ::dup2(n, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0)
                ::_exit(126);
            std::vector<char*> argv;
            for (std::string& word : command)
                argv.push_back(&word[0]);
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
    }

    // Starts the server on a free control port.
    unsigned short startOnFreePort(std::vector<std::string> args = {})
    {
        return startOnFreePort("core/server", std::move(args));
    }

    // Starts a program that takes the server's options ("sim/server-sim")
    // on a free control port.
    unsigned short startOnFreePort(std::string const& relative, std::vector<std::string> args)
    {
        port_ = freePort();
        args.push_back("--port");
        args.push_back(std::to_string(port_));
        startProgram(relative, args);
        return port_;
    }

    unsigned short port() const { return port_; }
    pid_t pid() const { return pid_; }

    bool signal(int sig) const { return pid_ > 0 && ::kill(pid_, sig) == 0; }

    // The wait status once the process has ended, -1 when it is still
    // running after the limit.
    int waitExit(milliseconds limit = patience(milliseconds(10000)))
    {
        int status = -1;
        bool ended = eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
        if (!ended)
            return -1;
        pid_ = -1;
        return status;
    }

    std::string out() const { return root_.read("/stdout.txt"); }
    std::string err() const { return root_.read("/stderr.txt"); }

    // True once text shows up in the standard error file.
    bool errShows(std::string const& text, milliseconds limit = patience(milliseconds(10000))) const
    {
        return eventually([&] { return err().find(text) != std::string::npos; }, limit);
    }

    bool pidFileWritten() const
    {
        return eventually([&] { return !root_.read("/var/run/server.pid").empty(); });
    }

private:
    ScratchRoot root_;
    pid_t pid_ = -1;
    unsigned short port_ = 0;
};

inline int exitCode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - status;
}

} // namespace e2e
