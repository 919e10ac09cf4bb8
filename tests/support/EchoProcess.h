#pragma once
// The TPKT echo program (tools/tpkt_echo) run as a separate process for the
// end-to-end tests: started on an ephemeral port (through the emulator named
// in SERVER_TEST_EMULATOR for a cross build), its port read from the first
// line of its standard output, its output and errors collected, and stopped
// with SIGTERM.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class EchoProcess {
public:
    EchoProcess()
    {
        std::vector<std::string> args;
        if (char const* emulator = std::getenv("SERVER_TEST_EMULATOR")) {
            std::istringstream words(emulator);
            for (std::string word; words >> word;)
                args.push_back(word);
        }
        char const* dir = std::getenv("SERVER_TEST_BINARY_DIR");
        args.push_back(std::string(dir ? dir : ".") + "/tools/tpkt_echo");
        args.push_back("--port");
        args.push_back("0");
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);

        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) < 0 || pipe2(err, O_CLOEXEC) < 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
        // The emulator starts slowly.
        if (wait_for(out_, output_, "\n", 30000)) {
            std::istringstream first(output_);
            std::string word;
            first >> word >> port_;
            if (word != "port")
                port_ = 0;
        }
    }
    ~EchoProcess()
    {
        stop();
        close(out_);
        close(err_);
    }
    EchoProcess(EchoProcess const&) = delete;
    EchoProcess& operator=(EchoProcess const&) = delete;

    // The bound port; 0 when the program did not announce one.
    unsigned port() const { return port_; }
    static bool emulated() { return std::getenv("SERVER_TEST_EMULATOR") != nullptr; }

    // Everything written so far.
    std::string const& output() { return collect(out_, output_); }
    std::string const& errors() { return collect(err_, errors_); }
    // Waits until the text has appeared on the stream.
    bool output_shows(std::string const& text, int ms = 5000) { return wait_for(out_, output_, text, ms); }
    bool errors_show(std::string const& text, int ms = 5000) { return wait_for(err_, errors_, text, ms); }

    // SIGTERM; the exit status (-1 when it had to be killed).
    int stop()
    {
        if (pid_ <= 0)
            return status_;
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(10000);
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status_ = -1;
    }

private:
    static std::string const& collect(int fd, std::string& text)
    {
        char buffer[4096];
        for (;;) {
            pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, 0) != 1)
                break;
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
    static bool wait_for(int fd, std::string& text, std::string const& needle, int ms)
    {
        auto const end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (collect(fd, text).find(needle) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p = {fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1)
                return collect(fd, text).find(needle) != std::string::npos;
            if (p.revents & POLLHUP && !(p.revents & POLLIN))
                return false;
        }
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    unsigned port_ = 0;
    int status_ = -1;
    std::string output_;
    std::string errors_;
};
