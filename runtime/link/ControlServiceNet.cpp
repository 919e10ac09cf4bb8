#include "runtime/link/ControlServiceNet.h"

#include <iostream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace Control {

void ServiceNet::Connected(Fd socket, INet4::Addr const& peer)
{
    if (state() == State::Deactivating)
        return;
    int const on = 1;
    if (setsockopt(socket.get(), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) < 0 && verbose())
        std::cerr << "fail set keepalive to control socket." << std::endl;
    if (setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) < 0 && verbose())
        std::cerr << "fail to turn off Nagle algorithm." << std::endl;
    peerAddr_ = peer;
    Established(std::move(socket), peer.GetString());
}

} // namespace Control
