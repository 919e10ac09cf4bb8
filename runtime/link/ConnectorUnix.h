#pragma once
// The connecting side of a Unix-socket message connection: connects to one
// path, optionally from a path of its own, retries until the peer accepts
// and reconnects after the connection is lost. Retry plan: after
// activation up to 7 retries 1000 ms apart, then one attempt every 20000 ms
// while the connect fails at once and every 15000 ms after an error on the
// socket; a lost connection is followed by a new attempt 10000 ms later.
// The connector owns the socket of the current attempt and its timer.
#include "runtime/link/ControlServiceUnix.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <cstdint>
#include <string>

namespace Control {

class ConnectorUnix : public ServiceUnix {
public:
    static constexpr int32_t fast_retries = 7;
    static constexpr unsigned fast_retry_ms = 1000;
    static constexpr unsigned refused_retry_ms = 20000;
    static constexpr unsigned hangup_retry_ms = 15000;
    static constexpr unsigned reconnect_ms = 10000;

    ConnectorUnix();
    explicit ConnectorUnix(std::string const& path);
    // localPath: the path the own end is bound to before connecting.
    ConnectorUnix(std::string const& path, std::string const& localPath);
    ~ConnectorUnix() override;

    std::string const& path() const { return path_; }

    // The callback of the socket just connected.
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
    void RetryLater(unsigned slow_ms);
    // Closes the socket of the attempt under way and cancels the retry.
    void AbandonAttempt();
    void BindLocal();

    std::string path_;
    std::string localPath_;
    Fd connFd_;
    Timer retryTimer_;
    Event connectEvent_;
    int32_t fastRetries_ = 0;
};

} // namespace Control
