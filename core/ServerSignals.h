#pragma once
// The server's signal handling. install() ignores SIGPIPE and gives SIGTERM,
// SIGINT, SIGUSR2 and SIGHUP a handler that only records the signal and
// cuts the main loop's poll short; a deferred call, active from install()
// on, looks at the records on every pass of the loop and tells the
// reactions: stop for SIGTERM and SIGINT, a status dump for SIGUSR2, a
// re-read of the hardware resources for SIGHUP. There is one instance per
// process; the reactions object is not owned and must outlive it.
#include "runtime/loop/Dpc.h"

class ServerSignals {
public:
    class Reactions {
    public:
        virtual ~Reactions() = default;
        virtual void OnStop() = 0;
        virtual void OnStatusDump() = 0;
        virtual void OnHangup() = 0;
    };

    explicit ServerSignals(Reactions& reactions);
    // Puts the default actions back.
    ~ServerSignals();
    ServerSignals(ServerSignals const&) = delete;
    ServerSignals& operator=(ServerSignals const&) = delete;

    // False when a handler could not be installed.
    bool install();
    // The deferred call's work: each recorded signal is cleared, then its
    // reaction runs (several signals of one kind give one reaction).
    void check();

private:
    static void record(int sig);

    Reactions& reactions_;
    Dpc dpc_;
    bool installed_ = false;
};
