#include "runtime/packet/ProtocolsList.h"

ProtocolsList::~ProtocolsList()
{
    while (Protocol* p = last()) {
        remove(p);
        p->owner_ = nullptr;
        delete p;
    }
}

void ProtocolsList::on_activated(Protocol*) {}
void ProtocolsList::on_deactivated(Protocol*, Protocol_status) {}

void ProtocolsList::adopt(Protocol* p)
{
    if (p->owner_)
        p->owner_->remove(p);
    p->owner_ = this;
}

void ProtocolsList::add_protocol_head(Protocol* p)
{
    adopt(p);
    insert_to_head(p);
}

void ProtocolsList::add_protocol_tail(Protocol* p)
{
    adopt(p);
    insert_to_tail(p);
}

Protocol* ProtocolsList::search(Protocol_name const& name) const
{
    for (Protocol* p : *this)
        if (p->compare_name(name))
            return p;
    return nullptr;
}

void ProtocolsFamily::local_prepare_head(Packet& p)
{
    if (Protocol* top = last())
        top->prepare_head(p);
}

void ProtocolsFamily::local_prepare_tail(Packet& p)
{
    if (Protocol* top = last())
        top->prepare_tail(p);
}

Protocol_status ProtocolsFamily::local_initialize()
{
    if (Protocol* top = last())
        return top->initialize();
    return new Protocol_initialize_error(this, "error");
}

void ProtocolsFamily::local_activate()
{
    if (Protocol* top = last())
        top->activate();
}

void ProtocolsFamily::local_deactivate()
{
    if (Protocol* top = last())
        top->deactivate();
}

void ProtocolsFamily::message(Packet& p)
{
    if (Protocol* top = last())
        top->message(p);
}

void ProtocolsFamily::receive(Packet& p)
{
    if (Protocol* lowest = first())
        lowest->receive(p);
}

void ProtocolsFamily::on_activated(Protocol* p)
{
    if (p == last())
        on_activate();
}

void ProtocolsFamily::on_deactivated(Protocol*, Protocol_status status) { on_deactivate(status); }
