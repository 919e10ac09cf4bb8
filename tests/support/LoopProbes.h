#pragma once
// Small probes for main-loop tests: a non-blocking pipe to watch, an event
// that records the poll events of every service, and a timer that acts once
// (by default stops Multiplexer::run, for the tests of run itself).
#include "runtime/base/Fd.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Timer.h"

#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace looptest {

struct Pipe {
    Pipe()
    {
        int ends[2];
        if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
            read = Fd(ends[0]);
            write = Fd(ends[1]);
        }
    }
    void put(char c = 'x') const
    {
        ssize_t n = ::write(write.get(), &c, 1);
        (void)n;
    }
    Fd read;
    Fd write;
};

// An Event that calls a function on every service.
class Probe {
public:
    using Action = std::function<void(Probe&, short)>;

    explicit Probe(std::string const& name, Action action = {}) : action_(std::move(action))
    {
        event.Bind(name, &Probe::onEvent, this);
    }
    void watch(Fd const& fd, short events) { event.Schedule(fd, events); }
    void drain() const
    {
        char buffer[64];
        while (::read(event.fd().get(), buffer, sizeof buffer) > 0) {
        }
    }

    Event event;
    std::vector<short> serviced;

private:
    void onEvent(int, short revents)
    {
        serviced.push_back(revents);
        if (action_)
            action_(*this, revents);
    }
    Action action_;
};

// Calls a function once after a delay (by default: stops the loop).
class After {
public:
    explicit After(unsigned ms, std::function<void()> action = [] { multiplexer.terminate(); })
        : action_(std::move(action))
    {
        timer_.set(ms, &After::onTimer, this);
    }
    bool fired() const { return fired_; }

private:
    void onTimer()
    {
        fired_ = true;
        action_();
    }
    Timer timer_;
    std::function<void()> action_;
    bool fired_ = false;
};

} // namespace looptest
