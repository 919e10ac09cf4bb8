#pragma once
// The acceptor of the control link: a plain acceptor that also checks the
// connected peer once a second (TCP state and pending socket error on its
// own duplicate of the socket) and drops a peer found dead. When a further
// peer knocks (typically the same controller after a restart, whose old
// connection may be dead but still established here), the connected peer
// is switched to fast keep-alive and watched: two checks in a row that find
// its congestion state not Open drop it, one that finds it Open ends the
// watch. A listening socket that cannot be created is retried like a
// failed bind.
#include "runtime/link/AcceptorNet.h"

#include <cstdint>

namespace Control {

class AcceptorNetCheckConnection : public AcceptorNet {
public:
    static constexpr unsigned check_interval_ms = 1000;

    enum class CheckState : int32_t { Idle = 0, CheckConnection = 1 };

    AcceptorNetCheckConnection();
    explicit AcceptorNetCheckConnection(int port);
    AcceptorNetCheckConnection(int port, bool verbose);
    ~AcceptorNetCheckConnection() override;

    // The check timer's callback.
    void OnCheckConnectionTimeout(Timer*);

protected:
    bool ImplActivate() override;
    void ImplDeactivate() override;
    void ImplRefuseConnection() override;
    void ImplConnected(Fd socket) override;
    void ImplConnectionLost() override;

    // One check of the connected peer; re-arms the check timer.
    void CheckConnection();
    // Fast (1 s idle, 1 s apart, 3 probes) or the system's usual keep-alive
    // timing on the checked socket.
    void SetupKeepAlive(bool fast);

    Fd const& checkFd() const { return checkFd_; }
    CheckState checkState() const { return checkState_; }

private:
    void EndWatch();

    Timer checkTimer_;
    // The acceptor's own duplicate of the connected peer's socket.
    Fd checkFd_;
    CheckState checkState_ = CheckState::Idle;
    int32_t caStateCountdown_ = 0;
};

} // namespace Control
