#pragma once
// The TCP message connection: the common part of the listening and the
// connecting variants. It attaches an established TCP connection (keep-alive
// on, Nagle's algorithm off) and remembers the peer's address.
#include "runtime/link/ControlService.h"
#include "runtime/link/INet4Addr.h"

namespace Control {

class ServiceNet : public Service {
public:
    // The address and port of the current or last peer; 0.0.0.0:0 before
    // the first.
    INet4::Addr const& peerAddr() const { return peerAddr_; }

    // Called by the variants when a connection is established; does nothing
    // while a loss is being handled (the caller keeps and closes its own
    // descriptor).
    void Connected(Fd socket, INet4::Addr const& peer);

private:
    INet4::Addr peerAddr_;
};

} // namespace Control
