#include "runtime/link/TPKTTracerP2P.h"

#include <cerrno>
#include <iostream>
#include <poll.h>

TPKTTracerP2P::TPKTTracerP2P() { listenEvent_.Bind("TPKTTracerP2P::OnEvent", &TPKTTracerP2P::OnEvent, this); }

TPKTTracerP2P::~TPKTTracerP2P() = default;

bool TPKTTracerP2P::Listen(unsigned short port) { return Connection::ListenWith(listenEvent_, port); }

unsigned TPKTTracerP2P::port() const { return Connection::BoundPort(listenEvent_.fd()); }

void TPKTTracerP2P::OnEvent(int, short revents)
{
    if (!(revents & POLLIN))
        return;
    Connection::AcceptPending(listenEvent_, max_payload, "TPKT peer-to-peer", [this](std::unique_ptr<Connection> connection) {
        connection->event().Bind("TPKTTracerP2P::OnDataEvent", &TPKTTracerP2P::OnDataEvent, this);
        int const kept = connection->fd();
        INet4::Addr const peer = connection->peer();
        connections_.push_back(std::move(connection));
        if (observer_)
            observer_->OnConnect(peer, kept);
    });
}

void TPKTTracerP2P::OnDataEvent(int fd, short revents)
{
    auto at = FindConnection(fd);
    if (at == connections_.end())
        return;
    if (revents & (POLLERR | POLLHUP)) {
        Close(at);
        return;
    }
    Connection* connection = at->get();
    uint64_t const serial = connection->serial();
    for (;;) {
        switch (connection->ReadSome()) {
        case Connection::Read::Wait: return;
        case Connection::Read::Close: Close(at); return;
        case Connection::Read::Message: break;
        }
        if (observer_) {
            observer_->OnMessage(connection->peer(), connection->payload(), connection->length());
            // The observer may have closed the client, or an answer it
            // could not take did.
            if (!Alive(serial))
                return;
        }
    }
}

int TPKTTracerP2P::Send(INet4::Addr const& peer, void const* data, unsigned length)
{
    auto at = FindConnection(peer);
    if (at == connections_.end())
        return -EFAULT;
    int const sent = (*at)->Send(data, length);
    if (sent < 0 && sent != -EMSGSIZE)
        Close(at);
    return sent;
}

int TPKTTracerP2P::Close(INet4::Addr const& peer)
{
    auto at = FindConnection(peer);
    if (at == connections_.end())
        return -EFAULT;
    Close(at);
    return 0;
}

bool TPKTTracerP2P::IsConnected(INet4::Addr const& peer) const { return FindConnection(peer) != connections_.end(); }

TPKTTracerP2P::List::iterator TPKTTracerP2P::FindConnection(int fd)
{
    for (auto at = connections_.begin(); at != connections_.end(); ++at)
        if ((*at)->fd() == fd)
            return at;
    return connections_.end();
}

TPKTTracerP2P::List::iterator TPKTTracerP2P::FindConnection(INet4::Addr const& peer)
{
    for (auto at = connections_.begin(); at != connections_.end(); ++at)
        if ((*at)->peer().IsEqual(peer))
            return at;
    return connections_.end();
}

TPKTTracerP2P::List::const_iterator TPKTTracerP2P::FindConnection(INet4::Addr const& peer) const
{
    return const_cast<TPKTTracerP2P*>(this)->FindConnection(peer);
}

bool TPKTTracerP2P::Alive(uint64_t serial) const
{
    for (auto const& c : connections_)
        if (c->serial() == serial)
            return true;
    return false;
}

void TPKTTracerP2P::Close(List::iterator at)
{
    // The connection leaves the list before the observer hears of it, so
    // that the observer finds it gone whatever it calls.
    std::unique_ptr<Connection> closing = std::move(*at);
    connections_.erase(at);
    if (observer_)
        observer_->OnClose(closing->peer());
    std::clog << "TPKT peer-to-peer connection close for " << closing->peer() << std::endl;
}
