#include "runtime/link/ConnectorNet.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace Control {

ConnectorNet::ConnectorNet() { connectEvent_.Bind("ConnectorNet::OnSocketEvent", &ConnectorNet::OnSocketEvent, this); }

ConnectorNet::ConnectorNet(std::string const& address) : ConnectorNet()
{
    INet4::Addr parsed;
    bool const valid = parsed.Assign(address, nullptr);
    port_ = static_cast<uint16_t>(parsed.GetPort());
    // An address that does not parse is kept as it was written, so that
    // activation reports it instead of connecting to 0.0.0.0.
    std::string const text = valid ? parsed.GetString() : address;
    host_ = text.substr(0, text.find(':'));
}

ConnectorNet::ConnectorNet(std::string const& host, unsigned short port) : ConnectorNet()
{
    host_ = host;
    port_ = port;
}

ConnectorNet::~ConnectorNet() = default;

bool ConnectorNet::ImplActivate()
{
    fastRetries_ = fast_retries;
    TryConnect();
    return true;
}

void ConnectorNet::ImplDeactivate()
{
    Release();
    AbandonAttempt();
}

void ConnectorNet::ImplOnDisconnect()
{
    AbandonAttempt();
    retryTimer_.set(reconnect_ms, &ConnectorNet::OnTimeout, this);
}

void ConnectorNet::OnTimeout(Timer*) { TryConnect(); }

void ConnectorNet::AbandonAttempt()
{
    retryTimer_.reset();
    connectEvent_.Release();
    connFd_.close();
}

bool ConnectorNet::Target(INet4::Addr& target) const
{
    target.Reset();
    target.SetPort(port_);
    return target.Assign(host_, nullptr);
}

void ConnectorNet::RetryLater(unsigned slow_ms)
{
    connFd_.close();
    if (fastRetries_ > 0) {
        --fastRetries_;
        retryTimer_.set(fast_retry_ms, &ConnectorNet::OnTimeout, this);
    } else {
        retryTimer_.set(slow_ms, &ConnectorNet::OnTimeout, this);
    }
}

void ConnectorNet::TryConnect()
{
    // Only a link that waits for a connection makes attempts.
    if (state() != State::Connecting)
        return;
    AbandonAttempt();
    INet4::Addr target;
    if (!Target(target)) {
        std::cerr << "can't connect to " << host_ << ":" << port_ << " : not an IPv4 address" << std::endl;
        Deactivate();
        return;
    }
    connFd_ = Fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!connFd_) {
        std::cerr << "can't create socket:" << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    if (!connFd_.NonBlock()) {
        std::cerr << "can't set socket to non block mode: " << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    if (connect(connFd_.get(), target.sa(), INet4::Addr::size()) == 0) {
        std::clog << "already connected to " << target << std::endl;
        Connected(std::move(connFd_), target);
        return;
    }
    int const error = errno;
    if (error == EINPROGRESS) {
        connectEvent_.Schedule(connFd_, POLLOUT);
        return;
    }
    std::cerr << "can't connect to " << target << " : " << std::strerror(error) << std::endl;
    RetryLater(refused_retry_ms);
}

void ConnectorNet::OnSocketEvent(int, short revents)
{
    INet4::Addr target;
    Target(target);
    if (revents & (POLLERR | POLLHUP)) {
        std::cerr << "fail to connect to " << target << std::endl;
        connectEvent_.Release();
        RetryLater(hangup_retry_ms);
        return;
    }
    if (!(revents & POLLOUT))
        return;
    connectEvent_.Release();
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(connFd_.get(), SOL_SOCKET, SO_ERROR, &error, &size) < 0) {
        std::cerr << "getsockopt(SOL_SOCKET,SO_ERROR) fail: " << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    if (error != 0) {
        std::cerr << "fail to connect to " << target << std::endl;
        RetryLater(failed_retry_ms);
        return;
    }
    std::cout << "connected to " << target << "." << std::endl;
    Connected(std::move(connFd_), target);
}

} // namespace Control
