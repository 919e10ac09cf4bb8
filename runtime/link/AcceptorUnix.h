#pragma once
// The listening side of a Unix-socket message connection: listens on one
// path and serves exactly one peer at a time; every further peer is refused
// (closed at once) while one is connected or while the loss of the last one
// is being handled. A stale socket left at the path is removed before the
// bind, any other kind of file is left alone; a path that cannot be bound
// is retried every 5000 ms. The acceptor owns its listening socket and its
// timer; the socket file stays when it stops.
#include "runtime/link/ControlServiceUnix.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <string>

namespace Control {

class AcceptorUnix : public ServiceUnix {
public:
    static constexpr unsigned bind_retry_ms = 5000;

    AcceptorUnix();
    explicit AcceptorUnix(std::string const& path);
    ~AcceptorUnix() override;

    std::string const& path() const { return path_; }

    // The listener's callback: takes every pending connection.
    void OnSocketEvent(int fd, short revents);
    // The retry timer's callback.
    void OnTimeout(Timer*);

protected:
    bool ImplActivate() override;
    void ImplDeactivate() override;
    void ImplOnDisconnect() override;
    // A further peer was refused while one is connected.
    virtual void ImplRefuseConnection();
    // A peer was attached; socket is the acceptor's duplicate of it.
    virtual void ImplConnected(Fd socket);

private:
    void BindSocket();

    std::string path_;
    Fd listenFd_;
    Timer bindRetryTimer_;
    Event listenEvent_;
};

} // namespace Control
