#pragma once
// A participant of the main loop's poll set. Each pass the loop asks every
// attached handler for its pollfd (descriptor and requested events) and,
// whenever poll reported anything at all, services every handler with the
// events returned for it, possibly none; the handler tests the bits it asked
// for. Attaching during a pass takes effect at the next pass; detaching takes
// effect at once, so a handler detached before its turn is not serviced.
// The loop never owns a handler; a handler still attached when destroyed
// detaches itself.
#include "runtime/base/F_dual_list.h"

#include <string>

struct pollfd;

class EventHandler : public F_dual_list_item<EventHandler> {
public:
    virtual ~EventHandler();
    EventHandler(EventHandler const&) = delete;
    EventHandler& operator=(EventHandler const&) = delete;

    // Fills in the descriptor and the requested events.
    virtual void shedule_event(pollfd& entry) = 0;
    virtual void svc_event(short revents) = 0;
    virtual std::string event_name() const;
    virtual bool is_named() const;

    // Attach to / detach from the global multiplexer; no-ops when already
    // in that state.
    void mux_attach();
    void mux_detach();
    bool attached() const { return attached_; }

    // Services the handler with the events of the last poll.
    void svc_event() { svc_event(revents_); }
    short returned_events() const { return revents_; }

protected:
    EventHandler() = default;

private:
    friend class Multiplexer;
    enum class Place : unsigned char { none, pending, pollSet };

    bool attached_ = false;
    short revents_ = 0;
    Place place_ = Place::none;
    unsigned pollIndex_ = 0;
};
