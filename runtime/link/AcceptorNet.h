#pragma once
// The listening side of a TCP message connection: listens on one port on
// all interfaces and serves exactly one peer at a time; every further peer
// is refused (closed at once) while one is connected or while the loss of
// the last one is being handled. A port that cannot be bound is retried
// every 5000 ms. The acceptor owns its listening socket and its timer.
#include "runtime/link/ControlServiceNet.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <cstdint>

namespace Control {

class AcceptorNet : public ServiceNet {
public:
    static constexpr unsigned bind_retry_ms = 5000;

    AcceptorNet();
    // The port is truncated to 16 bits.
    explicit AcceptorNet(int port);
    AcceptorNet(int port, bool verbose);
    ~AcceptorNet() override;

    // The port the listener is bound to (the system's choice when 0 was
    // asked for); 0 while none is bound.
    unsigned bound_port() const;

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

    // Tries to create the listening socket again after bind_retry_ms.
    void RetryListenerLater();

private:
    // Creates the listening socket; false (logged) when it cannot.
    bool OpenSocket();
    void BindSocket();
    void Refuse(Fd socket, INet4::Addr const& peer);

    uint16_t port_;
    Fd listenFd_;
    Timer bindRetryTimer_;
    Event listenEvent_;
};

} // namespace Control
