#include "runtime/link/AcceptorUnix.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/socket.h>

namespace Control {

AcceptorUnix::AcceptorUnix() : AcceptorUnix(std::string()) {}

AcceptorUnix::AcceptorUnix(std::string const& path) : path_(path)
{
    listenEvent_.Bind("AcceptorUnix::OnSocketEvent", &AcceptorUnix::OnSocketEvent, this);
}

AcceptorUnix::~AcceptorUnix() = default;

bool AcceptorUnix::ImplActivate()
{
    sockaddr_un address;
    socklen_t length;
    if (!Address(path_, address, length)) {
        // Waiting would not make the path any shorter.
        if (verbose())
            std::cerr << "can't bind to socket: \"" << std::strerror(errno) << "\" " << path_ << std::endl;
        return false;
    }
    listenFd_ = Fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listenFd_) {
        if (verbose())
            std::cerr << "can't create socket:" << std::strerror(errno) << std::endl;
        return false;
    }
    BindSocket();
    return true;
}

void AcceptorUnix::ImplDeactivate()
{
    bindRetryTimer_.reset();
    listenEvent_.Release();
    listenFd_.close();
}

void AcceptorUnix::ImplOnDisconnect() {}
void AcceptorUnix::ImplRefuseConnection() {}
void AcceptorUnix::ImplConnected(Fd) {}

void AcceptorUnix::OnTimeout(Timer*) { BindSocket(); }

void AcceptorUnix::BindSocket()
{
    sockaddr_un address;
    socklen_t length;
    Address(path_, address, length);
    UnlinkSocket(path_);
    if (bind(listenFd_.get(), reinterpret_cast<sockaddr*>(&address), length) < 0) {
        if (verbose())
            std::cerr << "can't bind to socket: \"" << std::strerror(errno) << "\" "
                      << " waiting..." << std::endl;
        bindRetryTimer_.set(bind_retry_ms, &AcceptorUnix::OnTimeout, this);
        return;
    }
    StartListening(listenFd_, listenEvent_);
}

void AcceptorUnix::OnSocketEvent(int, short revents)
{
    if (!(revents & POLLIN))
        return;
    for (;;) {
        sockaddr_un peer = {};
        socklen_t size = sizeof peer;
        // The owner may deactivate the acceptor from inside OnConnect, which
        // closes the listener and so ends the loop.
        Fd socket(accept4(listenFd_.get(), reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC));
        if (!socket)
            return;
        std::string const name = PathOf(peer, size);
        if (state() == State::Connected || state() == State::Deactivating) {
            if (verbose())
                std::cerr << "refuse connection from " << name << std::endl;
            if (state() == State::Connected)
                ImplRefuseConnection();
            continue;
        }
        if (!socket.NonBlock()) {
            if (verbose())
                std::cerr << "can't set socket to non block mode: " << std::strerror(errno) << std::endl;
            continue;
        }
        if (verbose())
            std::cout << "new connection from " << name << std::endl;
        Connected(socket, name);
        if (state() != State::Deactivating)
            ImplConnected(socket);
    }
}

} // namespace Control
