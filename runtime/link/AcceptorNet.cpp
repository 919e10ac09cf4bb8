#include "runtime/link/AcceptorNet.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace Control {

AcceptorNet::AcceptorNet() : AcceptorNet(0) {}

AcceptorNet::AcceptorNet(int port) : port_(static_cast<uint16_t>(port))
{
    listenEvent_.Bind("AcceptorNet::OnSocketEvent", &AcceptorNet::OnSocketEvent, this);
}

AcceptorNet::AcceptorNet(int port, bool verbose) : AcceptorNet(port) { set_verbose(verbose); }

AcceptorNet::~AcceptorNet() = default;

unsigned AcceptorNet::bound_port() const
{
    INet4::Addr local;
    socklen_t size = INet4::Addr::size();
    if (!listenFd_ || getsockname(listenFd_.get(), local.sa(), &size) < 0)
        return 0;
    return local.GetPort();
}

bool AcceptorNet::ImplActivate()
{
    if (!OpenSocket())
        return false;
    BindSocket();
    return true;
}

void AcceptorNet::ImplDeactivate()
{
    bindRetryTimer_.reset();
    listenEvent_.Release();
    listenFd_.close();
}

void AcceptorNet::ImplOnDisconnect() {}
void AcceptorNet::ImplRefuseConnection() {}
void AcceptorNet::ImplConnected(Fd) {}

void AcceptorNet::RetryListenerLater() { bindRetryTimer_.set(bind_retry_ms, &AcceptorNet::OnTimeout, this); }

void AcceptorNet::OnTimeout(Timer*)
{
    if (!listenFd_ && !OpenSocket()) {
        RetryListenerLater();
        return;
    }
    BindSocket();
}

bool AcceptorNet::OpenSocket()
{
    listenFd_ = Fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!listenFd_) {
        if (verbose())
            std::cerr << "can't create socket:" << std::strerror(errno) << std::endl;
        return false;
    }
    int const on = 1;
    setsockopt(listenFd_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return true;
}

void AcceptorNet::BindSocket()
{
    INet4::Addr any;
    any.SetPort(port_);
    if (bind(listenFd_.get(), any.sa(), INet4::Addr::size()) < 0) {
        if (verbose())
            std::cerr << "can't bind to socket: \"" << std::strerror(errno) << "\" "
                      << " waiting..." << std::endl;
        RetryListenerLater();
        return;
    }
    StartListening(listenFd_, listenEvent_);
}

void AcceptorNet::OnSocketEvent(int, short revents)
{
    if (!(revents & POLLIN))
        return;
    for (;;) {
        INet4::Addr peer;
        socklen_t size = INet4::Addr::size();
        // The owner may deactivate the acceptor from inside OnConnect, which
        // closes the listener and so ends the loop.
        Fd socket(accept4(listenFd_.get(), peer.sa(), &size, SOCK_CLOEXEC));
        if (!socket)
            return;
        if (state() == State::Connected || state() == State::Deactivating) {
            Refuse(std::move(socket), peer);
            continue;
        }
        if (!socket.NonBlock()) {
            if (verbose())
                std::cerr << "can't set socket to non block mode: " << std::strerror(errno) << std::endl;
            continue;
        }
        if (verbose())
            std::cout << "new connection from " << peer << std::endl;
        Connected(socket, peer);
        // A receiver that dropped the peer from inside OnConnect leaves
        // nothing to keep.
        if (state() != State::Deactivating)
            ImplConnected(socket);
    }
}

void AcceptorNet::Refuse(Fd socket, INet4::Addr const& peer)
{
    if (verbose())
        std::cerr << "refuse connection from " << peer << std::endl;
    // A peer knocking while the last one is still being torn down has no
    // connection to be watched against.
    if (state() == State::Connected)
        ImplRefuseConnection();
    socket.close();
}

} // namespace Control
