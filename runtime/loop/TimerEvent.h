#pragma once
// A one-shot timer of the main loop. schedule(ms) arms it to fire ms
// milliseconds from now (re-arming moves it); the loop unlinks a due event
// and calls fire(). Events due at the same millisecond fire in the order they
// were armed. Destroying an armed event cancels it. Most events are owned by
// a Timer (see Timer.h), which creates them and lets them delete themselves
// after firing.
#include "runtime/base/F_dual_list.h"

#include <cstdint>

class TimerEvent : public F_dual_list_item<TimerEvent> {
public:
    virtual ~TimerEvent();
    TimerEvent(TimerEvent const&) = delete;
    TimerEvent& operator=(TimerEvent const&) = delete;

    virtual void fire() = 0;

    // Arms the event for Mux::milliseconds() + ms (modulo 2^32).
    void schedule(unsigned ms);
    // Cancels; harmless when not armed.
    void reset();

    bool armed() const { return armed_; }
    uint32_t expiry() const { return expiry_; }
    // Signed difference of the two expiries, for the loop's sorted list.
    int32_t compare(TimerEvent const* other) const { return static_cast<int32_t>(expiry_ - other->expiry_); }

protected:
    TimerEvent() = default;

private:
    friend class Multiplexer;
    uint32_t expiry_ = 0;
    bool armed_ = false;
};
