#include "runtime/link/TPKTTracerConnection.h"

#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

namespace {
uint64_t nextSerial = 1;
}

TPKTTracerConnection::TPKTTracerConnection(Fd const& socket, unsigned buffer_size, INet4::Addr const& peer)
    : buffer_(buffer_size < 4 ? 4 : buffer_size), peer_(peer), serial_(nextSerial++)
{
    event_.Schedule(socket, POLLIN);
}

TPKTTracerConnection::Read TPKTTracerConnection::ReadSome()
{
    for (;;) {
        ssize_t n = recv(fd(), buffer_.data() + received_, expected_ - received_, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? Read::Wait : Read::Close;
        }
        if (n == 0)
            return Read::Close;
        received_ += static_cast<unsigned>(n);
        if (received_ < expected_)
            return Read::Wait;
        received_ = 0;
        if (!header_) {
            length_ = expected_;
            header_ = true;
            expected_ = 4;
            return Read::Message;
        }
        if (buffer_[0] != 3 || buffer_[1] != 0)
            return Read::Close;
        unsigned const length = static_cast<unsigned>(buffer_[2]) << 8 | buffer_[3];
        if (length < 4 || length - 4 > buffer_.size())
            return Read::Close;
        if (length > 4) {
            header_ = false;
            expected_ = length - 4;
        }
    }
}

int TPKTTracerConnection::Send(void const* data, unsigned length)
{
    if (length > max_frame_payload)
        return -EMSGSIZE;
    unsigned const total = length + 4;
    unsigned char header[4] = {3, 0, static_cast<unsigned char>(total >> 8), static_cast<unsigned char>(total)};
    iovec pieces[2] = {{header, sizeof header}, {const_cast<void*>(data), length}};
    msghdr message = {};
    message.msg_iov = pieces;
    message.msg_iovlen = 2;
    ssize_t n;
    do
        n = sendmsg(fd(), &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return -errno;
    // A frame cut short would leave the client's stream out of step.
    if (static_cast<unsigned>(n) != total)
        return -EAGAIN;
    return static_cast<int>(length);
}

Fd TPKTTracerConnection::Listen(unsigned short port)
{
    Fd listener(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!listener)
        return listener;
    int const on = 1;
    INet4::Addr any;
    any.SetPort(port);
    if (setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) < 0 ||
        bind(listener.get(), any.sa(), INet4::Addr::size()) < 0 || listen(listener.get(), 1) < 0 ||
        !listener.NonBlock())
        return Fd();
    return listener;
}

unsigned TPKTTracerConnection::BoundPort(Fd const& listener)
{
    INet4::Addr local;
    socklen_t size = INet4::Addr::size();
    if (!listener || getsockname(listener.get(), local.sa(), &size) < 0)
        return 0;
    return local.GetPort();
}

Fd TPKTTracerConnection::Accept(Fd const& listener, INet4::Addr& peer, bool& more)
{
    socklen_t size = INet4::Addr::size();
    Fd client(accept4(listener.get(), peer.sa(), &size, SOCK_CLOEXEC));
    // A client that gave up before it was taken does not end the round.
    more = static_cast<bool>(client) || errno == EINTR || errno == ECONNABORTED;
    return client;
}

bool TPKTTracerConnection::ListenWith(Event& listening, unsigned short port)
{
    Fd listener = Listen(port);
    if (!listener)
        return false;
    listening.Schedule(listener, POLLIN);
    return true;
}
