#include "runtime/link/AsyncConnect.h"

#include "runtime/link/INet4Addr.h"

#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace ASync {

Connect::Connect() { event_.Bind("Connect::OnSocketEvent", &Connect::OnSocketEvent, this); }

Connect::~Connect() = default;

void Connect::Start(std::string const& address, unsigned timeout_ms)
{
    Abandon();
    status_ = Status::InProgress;
    // Only a dotted address with a port in range names a peer; anything
    // else would end up at 0.0.0.0 or at a port nobody asked for.
    INet4::Addr target;
    int port = -1;
    if (!target.Assign(address, &port) || port < 1 || port > 0xFFFF) {
        Complete(Status::Failed);
        return;
    }
    sock_ = Fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!sock_ || !sock_.NonBlock()) {
        Complete(Status::Failed);
        return;
    }
    if (connect(sock_.get(), target.sa(), INet4::Addr::size()) == 0) {
        Complete(Status::Connected);
        return;
    }
    // An interrupted connect goes on in the background like one in progress.
    if (errno != EINPROGRESS && errno != EINTR) {
        Complete(Status::Failed);
        return;
    }
    event_.Schedule(sock_, POLLOUT);
    timer_.set(timeout_ms, &Connect::OnTimeOut, this);
}

void Connect::Stop() { Complete(Status::Stopped); }

void Connect::OnSocketEvent(int, short revents)
{
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
        Complete(Status::Failed);
        return;
    }
    if (!(revents & POLLOUT))
        return;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(sock_.get(), SOL_SOCKET, SO_ERROR, &error, &size) < 0 || error != 0)
        Complete(Status::Failed);
    else
        Complete(Status::Connected);
}

void Connect::OnTimeOut(Timer*) { Complete(Status::Failed); }

void Connect::Abandon()
{
    event_.Release();
    timer_.reset();
    sock_.close();
}

void Connect::Complete(Status::Type status)
{
    if (status_ != Status::InProgress)
        return;
    status_ = status;
    Fd socket;
    if (status == Status::Connected)
        socket = std::move(sock_);
    Abandon();
    if (handler_)
        handler_->Invoke(status, std::move(socket));
}

} // namespace ASync
