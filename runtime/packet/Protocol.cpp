#include "runtime/packet/Protocol.h"

#include "runtime/packet/ProtocolsList.h"

Protocol::~Protocol()
{
    if (owner_)
        owner_->remove(this);
}

void Protocol::local_prepare_head(Packet& p) { p.reserve_head(0); }
void Protocol::local_prepare_tail(Packet& p) { p.reserve_tail(0); }

Protocol_status Protocol::local_initialize() { return new Protocol_status_success(this, "success"); }

void Protocol::local_activate() { on_activate(); }

void Protocol::local_deactivate() { on_deactivate(new Protocol_status_success(this, "success")); }

void Protocol::transmit(Packet& p)
{
    if (lower())
        lower()->message(p);
    else if (owner_)
        owner_->transmit(p);
}

void Protocol::on_message(Packet& p)
{
    if (upper())
        upper()->receive(p);
    else if (owner_)
        owner_->on_message(p);
}

void Protocol::on_activate()
{
    if (upper())
        upper()->local_activate();
    else if (owner_)
        owner_->on_activated(this);
}

void Protocol::on_deactivate(Protocol_status status)
{
    if (!status)
        SmartPtrAssertion();
    if (status.get()->success()) {
        if (lower())
            lower()->deactivate();
        else if (owner_)
            owner_->on_deactivated(this, status);
    } else {
        if (upper())
            upper()->on_deactivate(status);
        else if (owner_)
            owner_->on_deactivated(this, status);
    }
}

void Protocol::on_status(Protocol_status status)
{
    if (upper())
        upper()->on_status(status);
    else if (owner_)
        owner_->on_status(status);
}

void Protocol::message(Packet&) {}
void Protocol::receive(Packet&) {}

void Protocol::activate()
{
    if (lower())
        lower()->activate();
    else
        local_activate();
}

void Protocol::deactivate() { local_deactivate(); }

void Protocol::protocol_info(std::ostream&) const {}

Protocol_status Protocol::initialize()
{
    if (lower()) {
        Protocol_status below = lower()->initialize();
        if (!below)
            SmartPtrAssertion();
        if (!below.get()->success())
            return below;
    }
    return local_initialize();
}

void Protocol::prepare_head(Packet& p)
{
    descend_prepare_head(p);
    local_prepare_head(p);
}

void Protocol::prepare_tail(Packet& p)
{
    descend_prepare_tail(p);
    local_prepare_tail(p);
}

void Protocol::descend_prepare_head(Packet& p)
{
    if (lower())
        lower()->prepare_head(p);
}

void Protocol::descend_prepare_tail(Packet& p)
{
    if (lower())
        lower()->prepare_tail(p);
}
