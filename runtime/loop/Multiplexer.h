#pragma once
// The main loop: the server's only thread runs Multiplexer::run on the one
// global object `multiplexer`. Each pass fires the due timers, runs the
// active deferred calls, builds the poll set from the attached handlers,
// runs the deferred calls again, waits in poll (no longer than the nearest
// timer or plug-in deadline, and at most 1000 ms while the hardware watchdog
// is open), feeds the watchdog and services the handlers. Every callback
// runs to completion on this thread.
//
// The multiplexer keeps handlers, timers, deferred calls and plug-ins by
// pointer and never owns them; their own classes (EventHandler, TimerEvent,
// Dpc, TimerPoolPlugin) attach and detach themselves. `multiplexer` is built
// before any static object of a source that includes this header and lives
// until after the last of them is destroyed.
#include "runtime/loop/EventHandler.h"
#include "runtime/base/F_dual_list.h"
#include "runtime/loop/LoopWakeup.h"
#include "runtime/base/Measure.h"
#include "runtime/loop/TimerEvent.h"
#include "runtime/loop/Watchdog.h"

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <vector>

struct pollfd;
class Dpc;
class TimerPoolPlugin;

class Multiplexer {
public:
    // Lets a plug-in be unhooked while the plug-ins are being asked.
    class TimerPollNotify {
    public:
        virtual ~TimerPollNotify() = default;
        virtual void removeTimerPoolPlugin(TimerPoolPlugin* plugin) = 0;
    };

    // Keeps `multiplexer` alive while any source that includes this header
    // has static objects; see the end of this header.
    class Lifetime {
    public:
        Lifetime();
        ~Lifetime();
        Lifetime(Lifetime const&) = delete;
        Lifetime& operator=(Lifetime const&) = delete;
    };

    Multiplexer();
    ~Multiplexer();
    Multiplexer(Multiplexer const&) = delete;
    Multiplexer& operator=(Multiplexer const&) = delete;

    // Runs passes until terminate(). With watchdog the device
    // "/dev/misc/gw-wd" is opened and fed; without live_clock every clock
    // reading of a pass returns the time at which the previous poll returned.
    void run(bool watchdog, bool live_clock);
    // Runs exactly one pass as run does, without the watchdog and reading
    // the clock live. Poll waits at most max_wait_ms of real time, and less
    // when a timer or plug-in deadline of the time base is due sooner. A
    // terminate() from an earlier pass is forgotten; one made during this
    // pass ends it as it ends run. For tests that drive the loop themselves.
    void run_once(int max_wait_ms = 0);
    // Milliseconds of the time base to the nearest timer or plug-in
    // deadline (0 when one is due or overdue), -1 when there is none.
    int time_to_next_deadline();
    // Ends run before the next handler is serviced; no further pass waits in
    // poll. Async-signal-safe: a signal handler may call it, and it cuts a
    // poll in progress short.
    void terminate();
    // Cuts a poll in progress short without stopping, so that the deferred
    // calls of the next pass see what a signal handler recorded.
    // Async-signal-safe.
    void wakeup() { wakeup_.wake(); }
    // Writes "PING" to the watchdog when it is open.
    void resetWD();

    void attach(EventHandler* handler);
    void detach(EventHandler* handler);
    bool event_exists(EventHandler* handler) const;

    void set(TimerEvent* timer);
    void reset(TimerEvent* timer);

    void attach(Dpc* dpc);
    void dettach(Dpc* dpc);

    void hook(TimerPoolPlugin* plugin);
    void unhook(TimerPoolPlugin* plugin);

    // The status dump: timing records, profiling points and the poll set.
    void dump(std::ostream& out) const;

private:
    class TimerPollGuard;

    // One pass; maxWaitMs caps the poll wait (INT_MAX: no cap).
    void pass(int maxWaitMs, bool live_clock);
    uint32_t timers_schedule();
    uint32_t timerWait(uint32_t now);
    int timerPoll_schedule();
    void buildPollSet();
    void execute_dpc();
    void dispatch(int count);
    void feedWatchdog();

    F_sorted_list<TimerEvent> timers_;
    F_dual_list<EventHandler> pending_;
    F_dual_list<EventHandler> pollSet_;
    // The next poll-set handler to service while a dispatch is running.
    EventHandler* nextToService_ = nullptr;
    // The poll array and, at the same positions, the handlers it was built
    // from (null once detached); one extra entry at the end for wakeup_.
    std::vector<pollfd> pollArray_;
    std::vector<EventHandler*> polled_;
    std::vector<Dpc*> activeDpcs_;
    std::vector<Dpc*> dpcSweep_;
    std::size_t dpcSweepNext_ = 0;
    volatile std::sig_atomic_t terminate_ = 0;
    Measure dpcMeasure_;
    Measure eventMeasure_;
    Measure timerMeasure_;
    std::vector<TimerPoolPlugin*> plugins_;
    TimerPollNotify* activeGuard_ = nullptr;
    Watchdog watchdog_;
    bool pinged_ = false;
    uint32_t lastPing_ = 0;
    LoopWakeup wakeup_;
};

extern Multiplexer& multiplexer;

namespace {
Multiplexer::Lifetime const multiplexerLifetime;
}
