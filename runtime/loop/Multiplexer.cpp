#include "runtime/loop/Multiplexer.h"

#include "runtime/loop/Dpc.h"
#include "runtime/base/MuxTime.h"
#include "runtime/base/RootPath.h"
#include "runtime/loop/TimerPoolPlugin.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <new>
#include <poll.h>

namespace {

// The storage of `multiplexer`: constant-initialised, so it exists before
// any dynamic initialisation; the object in it is built by the first
// Multiplexer::Lifetime and destroyed by the last.
union MultiplexerStorage {
    constexpr MultiplexerStorage() : none() {}
    ~MultiplexerStorage() {}
    char none;
    Multiplexer object;
};

MultiplexerStorage storage;
unsigned lifetimeUsers;

// Longest wait for a timer before the loop takes the clock for broken.
constexpr uint32_t maxTimerWaitMs = 7200000;
// Poll timeout while the watchdog is open, and the ping period.
constexpr int watchdogPeriodMs = 1000;
constexpr int noDeadline = INT_MAX;

} // namespace

Multiplexer& multiplexer = storage.object;

Multiplexer::Lifetime::Lifetime()
{
    if (lifetimeUsers++ == 0)
        new (&storage.object) Multiplexer;
}

Multiplexer::Lifetime::~Lifetime()
{
    if (--lifetimeUsers == 0)
        storage.object.~Multiplexer();
}

// Moves the plug-ins still to be asked out of the multiplexer's list, so
// that a plug-in unhooked while they are asked is neither asked nor kept.
class Multiplexer::TimerPollGuard : public Multiplexer::TimerPollNotify {
public:
    explicit TimerPollGuard(std::vector<TimerPoolPlugin*>& hooked) : hooked_(hooked)
    {
        toAsk_.swap(hooked_);
    }

    TimerPoolPlugin* next()
    {
        if (next_ == toAsk_.size())
            return nullptr;
        TimerPoolPlugin* plugin = toAsk_[next_++];
        hooked_.push_back(plugin);
        return plugin;
    }

    void removeTimerPoolPlugin(TimerPoolPlugin* plugin) override
    {
        auto rest = toAsk_.begin() + static_cast<std::ptrdiff_t>(next_);
        toAsk_.erase(std::remove(rest, toAsk_.end(), plugin), toAsk_.end());
        hooked_.erase(std::remove(hooked_.begin(), hooked_.end(), plugin), hooked_.end());
    }

private:
    std::vector<TimerPoolPlugin*>& hooked_;
    std::vector<TimerPoolPlugin*> toAsk_;
    std::size_t next_ = 0;
};

Multiplexer::Multiplexer() = default;

Multiplexer::~Multiplexer() = default;

void Multiplexer::run(bool watchdog, bool live_clock)
{
    terminate_ = 0;
    wakeup_.open();
    wakeup_.drain();
    if (watchdog)
        watchdog_.open(rootPath("/dev/misc/gw-wd"));
    if (!live_clock)
        Mux::mux_settimeofday();

    pinged_ = false;
    lastPing_ = 0;
    do
        pass(noDeadline, live_clock);
    while (!terminate_);

    std::clog << "Mux: terminating..." << std::endl;
    watchdog_.stop();
    // A stale snapshot would freeze the clock for whatever runs next.
    if (!live_clock)
        Mux::g_tv_time = Mux::timeval();
}

void Multiplexer::run_once(int max_wait_ms)
{
    terminate_ = 0;
    wakeup_.open();
    pass(std::max(max_wait_ms, 0), true);
}

void Multiplexer::pass(int maxWaitMs, bool live_clock)
{
    uint32_t now = timers_schedule();
    execute_dpc();

    int timeout = maxWaitMs;
    if (!timers_.empty())
        timeout = std::min(timeout, static_cast<int>(timerWait(now)));
    timeout = std::min(timeout, timerPoll_schedule());
    if (timeout == noDeadline)
        timeout = -1;

    buildPollSet();
    // With a stop pending poll is not entered, so there is no hang.
    if (timeout == -1 && pollSet_.empty() && !terminate_) {
        std::cerr << "multiplexer: system hang detected!!!" << std::endl;
        std::abort();
    }
    if (watchdog_.isOpen() && (timeout == -1 || timeout > watchdogPeriodMs))
        timeout = watchdogPeriodMs;

    execute_dpc();

    int count = 0;
    int pollErrno = 0;
    if (!terminate_) {
        count = ::poll(pollArray_.data(), pollArray_.size(), timeout);
        pollErrno = errno;
    }
    if (!live_clock)
        Mux::mux_settimeofday();
    if (watchdog_.isOpen())
        feedWatchdog();

    if (count < 0 && pollErrno != EINTR) {
        std::cerr << "multiplexer poll failed: " << std::strerror(pollErrno) << std::endl;
        std::abort();
    }
    if (count > 0)
        dispatch(count);
}

int Multiplexer::time_to_next_deadline()
{
    int nearest = timerPoll_schedule();
    if (TimerEvent* first = timers_.first()) {
        int32_t wait = Mux::msdiff(first->expiry_, Mux::milliseconds());
        nearest = std::min(nearest, static_cast<int>(std::max<int32_t>(wait, 0)));
    }
    return nearest == noDeadline ? -1 : nearest;
}

void Multiplexer::terminate()
{
    terminate_ = 1;
    wakeup_.wake();
}

void Multiplexer::resetWD()
{
    watchdog_.ping();
}

void Multiplexer::feedWatchdog()
{
    uint32_t now = Mux::milliseconds();
    int32_t since = Mux::msdiff(now, lastPing_);
    if (!pinged_ || since < 0 || since >= watchdogPeriodMs) {
        pinged_ = true;
        lastPing_ = now;
        resetWD();
    }
}

uint32_t Multiplexer::timers_schedule()
{
    uint32_t now = Mux::milliseconds();
    while (TimerEvent* timer = timers_.first()) {
        if (Mux::msdiff(now, timer->expiry_) < 0)
            break;
        timers_.remove(timer);
        timer->armed_ = false;
        timerMeasure_.begin();
        timer->fire();
        timerMeasure_.end();
    }
    return now;
}

// Milliseconds from now to the first timer, which may be 0 (due now). A wait
// beyond two hours means a broken clock or delay: it is reported and every
// timer is moved to one second from now.
uint32_t Multiplexer::timerWait(uint32_t now)
{
    uint32_t first = timers_.first()->expiry_;
    uint32_t wait = first - now;
    if (wait <= maxTimerWaitMs)
        return wait;
    std::cerr << "******** RUNTIME ERROR CONDITION *************"
              << "Multiplexer::timers_schedule() invalid wait time detected!" << std::endl
              << "now = " << now << std::endl
              << "first = " << first << std::endl
              << "count = " << timers_.count() << std::endl;
    for (TimerEvent* timer : timers_)
        timer->expiry_ = now + watchdogPeriodMs;
    return watchdogPeriodMs;
}

int Multiplexer::timerPoll_schedule()
{
    TimerPollGuard guard(plugins_);
    activeGuard_ = &guard;
    int nearest = noDeadline;
    // A deadline of 0 is due now, so poll does not wait, as for a timer due
    // now; counting it as no deadline could leave the loop waiting forever.
    while (TimerPoolPlugin* plugin = guard.next()) {
        int deadline = plugin->millisecondsToDeadline();
        if (deadline >= 0 && deadline < nearest)
            nearest = deadline;
    }
    activeGuard_ = nullptr;
    return nearest;
}

void Multiplexer::buildPollSet()
{
    while (EventHandler* handler = pending_.remove_from_head()) {
        pollSet_.push_back(handler);
        handler->place_ = EventHandler::Place::pollSet;
    }
    std::size_t size = pollSet_.size();
    pollArray_.resize(size + 1);
    polled_.resize(size);
    std::size_t i = 0;
    for (EventHandler* handler : pollSet_) {
        pollfd& entry = pollArray_[i];
        entry = pollfd();
        handler->shedule_event(entry);
        handler->pollIndex_ = static_cast<unsigned>(i);
        polled_[i++] = handler;
    }
    pollArray_[size] = pollfd{wakeup_.readFd(), POLLIN, 0};
}

void Multiplexer::dispatch(int count)
{
    pollfd const& wakeEntry = pollArray_.back();
    if (wakeEntry.revents) {
        wakeup_.drain();
        if (--count == 0)
            return;
    }
    for (std::size_t i = 0; i < polled_.size(); ++i)
        if (polled_[i])
            polled_[i]->revents_ = pollArray_[i].revents;

    EventHandler* handler = pollSet_.first();
    while (handler && !terminate_) {
        nextToService_ = handler->next();
        eventMeasure_.begin();
        handler->svc_event();
        eventMeasure_.end();
        handler = nextToService_;
    }
    nextToService_ = nullptr;
}

void Multiplexer::execute_dpc()
{
    dpcSweep_.assign(activeDpcs_.begin(), activeDpcs_.end());
    dpcSweepNext_ = 0;
    while (dpcSweepNext_ < dpcSweep_.size()) {
        Dpc* dpc = dpcSweep_[dpcSweepNext_++];
        if (DpcHandler* handler = dpc->handler()) {
            dpcMeasure_.begin();
            handler->Invoke();
            dpcMeasure_.end();
        }
    }
    dpcSweep_.clear();
    dpcSweepNext_ = 0;
}

void Multiplexer::attach(EventHandler* handler)
{
    if (handler->place_ != EventHandler::Place::none) {
        std::cerr << "duplicate multiplexer attach " << std::flush;
        std::cerr << '"' << handler->event_name() << "\" ignored." << std::endl;
        return;
    }
    pending_.push_back(handler);
    handler->place_ = EventHandler::Place::pending;
}

void Multiplexer::detach(EventHandler* handler)
{
    switch (handler->place_) {
    case EventHandler::Place::none:
        std::cerr << "indvalid Multiplexer::detach " << std::flush;
        std::cerr << handler->event_name() << std::endl;
        return;
    case EventHandler::Place::pending:
        pending_.remove(handler);
        break;
    case EventHandler::Place::pollSet:
        if (handler == nextToService_)
            nextToService_ = handler->next();
        if (handler->pollIndex_ < polled_.size() && polled_[handler->pollIndex_] == handler)
            polled_[handler->pollIndex_] = nullptr;
        pollSet_.remove(handler);
        break;
    }
    handler->place_ = EventHandler::Place::none;
}

bool Multiplexer::event_exists(EventHandler* handler) const
{
    return handler->place_ != EventHandler::Place::none;
}

void Multiplexer::set(TimerEvent* timer)
{
    reset(timer);
    timers_.insert_to_tail_by_grown(timer);
    timer->armed_ = true;
}

void Multiplexer::reset(TimerEvent* timer)
{
    if (timer->armed_) {
        timers_.remove(timer);
        timer->armed_ = false;
    }
}

void Multiplexer::attach(Dpc* dpc)
{
    auto at = std::lower_bound(activeDpcs_.begin(), activeDpcs_.end(), dpc, std::less<Dpc*>());
    if (at == activeDpcs_.end() || *at != dpc)
        activeDpcs_.insert(at, dpc);
}

void Multiplexer::dettach(Dpc* dpc)
{
    activeDpcs_.erase(std::remove(activeDpcs_.begin(), activeDpcs_.end(), dpc), activeDpcs_.end());
    auto rest = dpcSweep_.begin() + static_cast<std::ptrdiff_t>(dpcSweepNext_);
    dpcSweep_.erase(std::remove(rest, dpcSweep_.end(), dpc), dpcSweep_.end());
}

void Multiplexer::hook(TimerPoolPlugin* plugin)
{
    plugins_.push_back(plugin);
}

void Multiplexer::unhook(TimerPoolPlugin* plugin)
{
    if (activeGuard_)
        activeGuard_->removeTimerPoolPlugin(plugin);
    else
        plugins_.erase(std::remove(plugins_.begin(), plugins_.end(), plugin), plugins_.end());
}
