#include "runtime/loop/EventHandler.h"

#include "runtime/loop/Multiplexer.h"

EventHandler::~EventHandler()
{
    if (place_ != Place::none)
        multiplexer.detach(this);
}

std::string EventHandler::event_name() const
{
    return "unknown";
}

bool EventHandler::is_named() const
{
    return false;
}

void EventHandler::mux_attach()
{
    if (!attached_) {
        multiplexer.attach(this);
        attached_ = true;
    }
}

void EventHandler::mux_detach()
{
    if (attached_) {
        multiplexer.detach(this);
        attached_ = false;
    }
}
