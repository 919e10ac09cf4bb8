#pragma once
// A program of the build tree under test (SERVER_TEST_BINARY_DIR) run as a
// child process by an end-to-end test: started through the cross build's
// emulator when SERVER_TEST_EMULATOR names one, with SERVER_ROOT set to a
// scratch directory of its own, its standard input the file "/stdin.txt"
// under that root when there is one, and its standard output and error in
// files there, which the test reads as they grow. A child still running when
// the object goes is killed.
#include "support/ScratchRoot.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

inline bool emulated() { return std::getenv("SERVER_TEST_EMULATOR") != nullptr; }

// Deadlines stretch when the program runs under the emulator.
inline milliseconds patience(milliseconds base) { return emulated() ? base * 4 : base; }

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
    std::istringstream in(emulated() ? std::getenv("SERVER_TEST_EMULATOR") : "");
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The exit code of a wait status; a death by signal as -1000 - status.
inline int exitCode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - status;
}

class ChildProgram {
public:
    ChildProgram() = default;
    ~ChildProgram()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ChildProgram(ChildProgram const&) = delete;
    ChildProgram& operator=(ChildProgram const&) = delete;

    ScratchRoot const& root() const { return root_; }

    // Starts the program (its path in the build tree) with these arguments
    // after the program name.
    void start(std::string const& relative, std::vector<std::string> const& args)
    {
        std::vector<std::string> command = emulator();
        command.push_back(builtProgram(relative));
        command.insert(command.end(), args.begin(), args.end());
        std::string const out = root_.path("/stdout.txt");
        std::string const err = root_.path("/stderr.txt");
        std::string const in = root_.exists("/stdin.txt") ? root_.path("/stdin.txt") : "/dev/null";
        // The environment is made before the fork: the child's own root,
        // whichever scratch root the test process made last.
        std::string ownRoot = "SERVER_ROOT=" + root_.path("");
        std::vector<char*> env;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).compare(0, 12, "SERVER_ROOT=") != 0)
                env.push_back(*e);
        env.push_back(&ownRoot[0]);
        env.push_back(nullptr);
        std::vector<char*> argv;
        for (std::string& word : command)
            argv.push_back(&word[0]);
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int n = ::open(in.c_str(), O_RDONLY);
            if (o < 0 || e < 0 || n < 0 || ::dup2(n, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0)
                ::_exit(126);
            ::execvpe(argv[0], argv.data(), env.data());
            ::_exit(127);
        }
    }

    pid_t pid() const { return pid_; }
    bool signal(int sig) const { return pid_ > 0 && ::kill(pid_, sig) == 0; }

    // The wait status once the process has ended, -1 when it is still
    // running after the limit.
    int waitExit(milliseconds limit = patience(milliseconds(10000)))
    {
        if (pid_ <= 0)
            return status_;
        int status = -1;
        if (!eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit))
            return -1;
        pid_ = -1;
        return status_ = status;
    }

    // SIGTERM, and SIGKILL when the process has not ended within the limit;
    // the wait status, -1 when it had to be killed.
    int stop(milliseconds limit = patience(milliseconds(5000)))
    {
        if (pid_ <= 0)
            return status_;
        ::kill(pid_, SIGTERM);
        if (waitExit(limit) != -1)
            return status_;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return status_ = -1;
    }

    // Everything written so far.
    std::string out() const { return root_.read("/stdout.txt"); }
    std::string err() const { return root_.read("/stderr.txt"); }

    // True once text shows up in the output or errors.
    bool outShows(std::string const& text, milliseconds limit = patience(milliseconds(10000))) const
    {
        return eventually([&] { return out().find(text) != std::string::npos; }, limit);
    }
    bool errShows(std::string const& text, milliseconds limit = patience(milliseconds(10000))) const
    {
        return eventually([&] { return err().find(text) != std::string::npos; }, limit);
    }

private:
    ScratchRoot root_;
    pid_t pid_ = -1;
    int status_ = -1;
};

} // namespace e2e
