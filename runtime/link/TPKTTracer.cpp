#include "runtime/link/TPKTTracer.h"

#include <iostream>
#include <poll.h>

TPKTTracer::TPKTTracer() { listenEvent_.Bind("TPKTTracer::OnEvent", &TPKTTracer::OnEvent, this); }

TPKTTracer::~TPKTTracer() = default;

bool TPKTTracer::Listen(unsigned short port) { return Connection::ListenWith(listenEvent_, port); }

unsigned TPKTTracer::port() const { return Connection::BoundPort(listenEvent_.fd()); }

void TPKTTracer::OnEvent(int, short revents)
{
    if (!(revents & POLLIN))
        return;
    Connection::AcceptPending(listenEvent_, max_payload, "ACP", [this](std::unique_ptr<Connection> connection) {
        connection->event().Bind("TPKTTracer::OnDataEvent", &TPKTTracer::OnDataEvent, this);
        connections_.push_back(std::move(connection));
    });
}

void TPKTTracer::OnDataEvent(int fd, short revents)
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
            current_ = connection;
            delivering_ = true;
            observer_->OnMessage(connection->payload(), connection->length());
            delivering_ = false;
            current_ = nullptr;
            // An answer the client could not take closed it.
            at = FindConnection(serial);
            if (at == connections_.end())
                return;
        }
    }
}

bool TPKTTracer::Send(void const* data, unsigned length)
{
    if (length > Connection::max_frame_payload)
        return false;
    if (delivering_) {
        // The client being answered may have been closed meanwhile; the
        // answer is then dropped rather than sent to everybody.
        if (current_ && current_->Send(data, length) < 0)
            Close(FindConnection(current_->serial()));
        return true;
    }
    for (auto at = connections_.begin(); at != connections_.end();) {
        auto const here = at++;
        if ((*here)->Send(data, length) < 0)
            Close(here);
    }
    return true;
}

TPKTTracer::List::iterator TPKTTracer::FindConnection(int fd)
{
    for (auto at = connections_.begin(); at != connections_.end(); ++at)
        if ((*at)->fd() == fd)
            return at;
    return connections_.end();
}

TPKTTracer::List::iterator TPKTTracer::FindConnection(uint64_t serial)
{
    for (auto at = connections_.begin(); at != connections_.end(); ++at)
        if ((*at)->serial() == serial)
            return at;
    return connections_.end();
}

void TPKTTracer::Close(List::iterator at)
{
    if (current_ == at->get())
        current_ = nullptr;
    connections_.erase(at);
}
