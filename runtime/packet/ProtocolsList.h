#pragma once
// A protocol stack: owns its layers in order, lowest (wire side) at the head
// of the list, top at the tail, and deletes them with itself. As a Protocol
// it is also the owner that hears what runs off either end of the stack.
// `ProtocolsFamily` is a stack that is at the same time one layer of an
// outer stack: packets and link state pass through its inner layers and
// continue in the outer stack.
#include "runtime/packet/Protocol.h"

class ProtocolsList : public Protocol, public F_dual_list<Protocol> {
public:
    ProtocolsList() = default;
    // Deletes the layers one at a time from the top.
    ~ProtocolsList() override;

    // The top layer is up (nothing in the base).
    virtual void on_activated(Protocol* p);
    // A deactivation ran off the stack at p (nothing in the base).
    virtual void on_deactivated(Protocol* p, Protocol_status status);
    // Inserts p as the new lowest / top layer and takes ownership of it; a
    // layer still in another list leaves that one first.
    virtual void add_protocol_head(Protocol* p);
    virtual void add_protocol_tail(Protocol* p);

    // The lowest layer whose compare_name(name) is true, or null.
    Protocol* search(Protocol_name const& name) const;

private:
    void adopt(Protocol* p);
};

class ProtocolsFamily : public ProtocolsList {
public:
    void local_prepare_head(Packet& p) override;
    void local_prepare_tail(Packet& p) override;
    Protocol_status local_initialize() override;
    void local_activate() override;
    void local_deactivate() override;
    void message(Packet& p) override;
    void receive(Packet& p) override;
    void on_activated(Protocol* p) override;
    void on_deactivated(Protocol* p, Protocol_status status) override;
};
