#pragma once
// One layer of a protocol stack. Layers are linked lowest (wire side) first
// inside the ProtocolsList that owns them: `lower()` is the layer below,
// `upper()` the layer above, `owner()` the list. Packets go down through
// `transmit` / `message` and up through `on_message` / `receive`; link
// state goes up through activation and down or up through deactivation,
// each deactivation carrying a status (success: an ordered shutdown that
// runs down to the lowest layer; error: a failure that runs up to the top).
// A layer without a neighbour in the direction of travel hands the call to
// its owner. The base holds no sockets or timers; concrete layers override
// the `local_*`, `message` and `receive` hooks.
#include "runtime/packet/Packet.h"
#include "runtime/packet/ProtocolName.h"
#include "runtime/packet/ProtocolStatus.h"

#include <iosfwd>

class ProtocolsList;

class Protocol : public Protocol_info, public F_dual_list_item<Protocol> {
public:
    Protocol() = default;
    Protocol(Protocol const&) = delete;
    Protocol& operator=(Protocol const&) = delete;
    // Leaves the owner's list.
    ~Protocol() override;

    Protocol* upper() const { return next(); }
    Protocol* lower() const { return prev(); }
    ProtocolsList* owner() const { return owner_; }

    // Header and trailer room of this layer alone (none in the base).
    virtual void local_prepare_head(Packet& p);
    virtual void local_prepare_tail(Packet& p);
    // This layer's own initialisation (success in the base).
    virtual Protocol_status local_initialize();
    // Brings this layer up; the base passes the activation on upward.
    virtual void local_activate();
    // Takes this layer down; the base reports success downward.
    virtual void local_deactivate();
    // Hands p to the layer below, else to the owner.
    virtual void transmit(Packet& p);
    // Hands p to the layer above, else to the owner.
    virtual void on_message(Packet& p);
    // This layer is up: activates the layer above, else tells the owner.
    virtual void on_activate();
    // This layer is down; see the routing in the class comment.
    virtual void on_deactivate(Protocol_status status);
    // Passes a status notice upward, else to the owner.
    virtual void on_status(Protocol_status status);
    // A packet from above (ignored in the base).
    virtual void message(Packet& p);
    // A packet from below (ignored in the base).
    virtual void receive(Packet& p);
    // Starts activation at the lowest layer of the stack below this one.
    virtual void activate();
    virtual void deactivate();
    virtual void protocol_info(std::ostream& os) const;

    // Initialises the layers from the lowest up to this one; the first
    // failure is returned.
    Protocol_status initialize();
    // Reserves the header (trailer) room of every layer from the lowest up
    // to this one.
    void prepare_head(Packet& p);
    void prepare_tail(Packet& p);
    void descend_prepare_head(Packet& p);
    void descend_prepare_tail(Packet& p);

private:
    friend class ProtocolsList;
    ProtocolsList* owner_ = nullptr;
};
