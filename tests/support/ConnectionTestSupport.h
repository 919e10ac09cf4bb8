#pragma once
// Helpers of the message-connection tests: a receiver that records what it
// is told and a loopback listener driven from the test (plain blocking calls
// bounded by poll time limits); the test's TCP peer is a TpktClient.
#include "runtime/link/ControlService.h"

#include "support/ProtocolTestSupport.h"
#include "support/TpktClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// Records "connect", "disconnect" (each with the link's state at that
// moment) and "message <hex>"; an optional action runs after each record.
class RecordingNotify : public Control::Notify {
public:
    explicit RecordingNotify(Control::Service& link) : link_(link) {}
    void OnConnect() override { record("connect " + std::string(Control::GetTextNotation(link_.state()))); }
    void OnDisconnect() override { record("disconnect " + std::string(Control::GetTextNotation(link_.state()))); }
    void OnMessage(char const* data, int len) override
    {
        record("message " + packet_of(std::vector<unsigned char>(data, data + len)).text());
    }
    int count(std::string const& prefix) const
    {
        int n = 0;
        for (auto const& e : events)
            n += e.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

    std::vector<std::string> events;
    std::function<void(std::string const&)> action;

private:
    void record(std::string const& event)
    {
        events.push_back(event);
        if (action)
            action(event);
    }
    Control::Service& link_;
};

inline sockaddr_in loopback(unsigned port)
{
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

inline unsigned local_port(int fd)
{
    sockaddr_in a = {};
    socklen_t size = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    return ntohs(a.sin_port);
}

// A listening socket on 127.0.0.1, by default with an ephemeral port.
class TcpListener {
public:
    explicit TcpListener(unsigned port = 0) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        int const on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a = loopback(port);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_, 8);
        port_ = local_port(fd_);
    }
    ~TcpListener() { close(); }
    TcpListener(TcpListener const&) = delete;
    TcpListener& operator=(TcpListener const&) = delete;

    unsigned port() const { return port_; }
    // The next pending connection within ms, or -1.
    int accept_within(int ms)
    {
        pollfd p = {fd_, POLLIN, 0};
        if (poll(&p, 1, ms) != 1)
            return -1;
        return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    unsigned port_ = 0;
};
