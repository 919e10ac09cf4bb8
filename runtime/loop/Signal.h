#pragma once
// Thin wrappers over sigaction, through which the start-up code installs
// its signal handlers and the child-process service its SIGCHLD handler.
// Every call returns the system call's result (0, or -1 with errno).
#include <csignal>

namespace IPC {

class Signal {
public:
    // A signal mask.
    class Set {
    public:
        Set();
        Set(int sig1, int sig2);
        Set(int sig1, int sig2, int sig3);
        // True when sig is a valid signal number.
        bool is_signal(int sig) const;
        sigset_t const& get() const { return set_; }

    private:
        sigset_t set_;
    };

    using Handler = void (*)(int);
    using InfoHandler = void (*)(int, siginfo_t*, void*);

    static int handle(int sig, Handler handler, Set const& mask, int flags);
    static int handle(int sig, Handler handler, int flags);
    // Installs with SA_SIGINFO added to flags.
    static int handle(int sig, InfoHandler handler, Set const& mask, int flags);
    static int handle(int sig, InfoHandler handler, int flags);
    static int ignore(int sig);
    // Back to the default action.
    static int system(int sig);
    // System calls interrupted by sig are restarted (disable_int) or fail
    // with EINTR (enable_int).
    static int disable_int(int sig);
    static int enable_int(int sig);
};

} // namespace IPC
