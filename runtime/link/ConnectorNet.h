#pragma once
// The connecting side of a TCP message connection: connects to one IPv4
// address and port without blocking, retries on its own until the peer
// accepts and reconnects after the connection is lost. Retry plan: after
// activation up to 7 retries 1000 ms apart, then one attempt every 20000 ms
// while the peer refuses at once, every 12000 ms while the refusal arrives
// later and every 15000 ms after an error or hang-up on the socket; a lost
// connection is followed by a new attempt 10000 ms later. There is never
// more than one attempt under way. The connector owns the socket of the
// current attempt and its timer.
#include "runtime/link/ControlServiceNet.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <cstdint>
#include <string>

namespace Control {

class ConnectorNet : public ServiceNet {
public:
    static constexpr int32_t fast_retries = 7;
    static constexpr unsigned fast_retry_ms = 1000;
    static constexpr unsigned refused_retry_ms = 20000;
    static constexpr unsigned failed_retry_ms = 12000;
    static constexpr unsigned hangup_retry_ms = 15000;
    static constexpr unsigned reconnect_ms = 10000;

    // Empty host, port 0.
    ConnectorNet();
    // "a.b.c.d:port"; no port gives port 0.
    explicit ConnectorNet(std::string const& address);
    // host is dotted-decimal IPv4 text; names are not resolved.
    ConnectorNet(std::string const& host, unsigned short port);
    ~ConnectorNet() override;

    // The callback of the socket being connected.
    void OnSocketEvent(int fd, short revents);
    // The retry timer's callback: the next attempt.
    void OnTimeout(Timer*);
    // One connection attempt, replacing any attempt under way; nothing
    // unless the link is Connecting.
    void TryConnect();

protected:
    bool ImplActivate() override;
    void ImplDeactivate() override;
    void ImplOnDisconnect() override;

private:
    // The configured host and port; false when the host is no IPv4 address.
    bool Target(INet4::Addr& target) const;
    void RetryLater(unsigned slow_ms);
    // Closes the socket of the attempt under way and cancels the retry.
    void AbandonAttempt();

    uint16_t port_ = 0;
    std::string host_;
    Fd connFd_;
    Timer retryTimer_;
    Event connectEvent_;
    int32_t fastRetries_ = 0;
};

} // namespace Control
