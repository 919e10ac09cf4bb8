#include "runtime/link/ConnectorUnix.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/socket.h>

namespace Control {

ConnectorUnix::ConnectorUnix() : ConnectorUnix(std::string(), std::string()) {}

ConnectorUnix::ConnectorUnix(std::string const& path) : ConnectorUnix(path, std::string()) {}

ConnectorUnix::ConnectorUnix(std::string const& path, std::string const& localPath)
    : path_(path), localPath_(localPath)
{
    connectEvent_.Bind("ConnectorUnix::OnSocketEvent", &ConnectorUnix::OnSocketEvent, this);
}

ConnectorUnix::~ConnectorUnix() = default;

bool ConnectorUnix::ImplActivate()
{
    fastRetries_ = fast_retries;
    TryConnect();
    return true;
}

void ConnectorUnix::ImplDeactivate()
{
    Release();
    AbandonAttempt();
}

void ConnectorUnix::ImplOnDisconnect()
{
    AbandonAttempt();
    retryTimer_.set(reconnect_ms, &ConnectorUnix::OnTimeout, this);
}

void ConnectorUnix::OnTimeout(Timer*) { TryConnect(); }

void ConnectorUnix::AbandonAttempt()
{
    retryTimer_.reset();
    connectEvent_.Release();
    connFd_.close();
}

void ConnectorUnix::RetryLater(unsigned slow_ms)
{
    connFd_.close();
    if (fastRetries_ > 0) {
        --fastRetries_;
        retryTimer_.set(fast_retry_ms, &ConnectorUnix::OnTimeout, this);
    } else {
        retryTimer_.set(slow_ms, &ConnectorUnix::OnTimeout, this);
    }
}

void ConnectorUnix::BindLocal()
{
    sockaddr_un local;
    socklen_t length;
    bool bound = Address(localPath_, local, length);
    if (bound) {
        UnlinkSocket(localPath_);
        bound = bind(connFd_.get(), reinterpret_cast<sockaddr*>(&local), length) == 0;
    }
    // Log readers match this line as it has always been written: the error
    // text follows an opening quote that is never closed.
    if (!bound)
        std::cerr << "can't bind to domain socket '" << localPath_ << "': \"" << std::strerror(errno) << std::endl;
}

void ConnectorUnix::TryConnect()
{
    // Only a link that waits for a connection makes attempts.
    if (state() != State::Connecting)
        return;
    AbandonAttempt();
    sockaddr_un target;
    socklen_t length;
    if (!Address(path_, target, length)) {
        // No retry makes the path fit.
        std::cerr << "can't connect to " << path_ << " : " << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    connFd_ = Fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!connFd_) {
        std::cerr << "can't create domain socket:" << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    if (!connFd_.NonBlock()) {
        std::cerr << "can't set domain socket to non block mode: " << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    if (!localPath_.empty())
        BindLocal();
    if (connect(connFd_.get(), reinterpret_cast<sockaddr*>(&target), length) < 0) {
        std::cerr << "can't connect to " << path_ << " : " << std::strerror(errno) << std::endl;
        RetryLater(refused_retry_ms);
        return;
    }
    std::clog << "connected to " << path_ << std::endl;
    connectEvent_.Schedule(connFd_, POLLOUT);
    Connected(std::move(connFd_), path_);
}

void ConnectorUnix::OnSocketEvent(int, short revents)
{
    connectEvent_.Release();
    // Once the link is up (or going down) it watches its socket itself; a
    // report here would start a second round of retries.
    if (state() != State::Connecting)
        return;
    if (revents & (POLLERR | POLLHUP)) {
        std::cerr << "fail to connect to " << path_ << std::endl;
        RetryLater(hangup_retry_ms);
    }
}

} // namespace Control
