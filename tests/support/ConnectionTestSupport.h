#pragma once
// Helpers of the message-connection tests: a receiver that records what it
// is told, TPKT frames, and a loopback TCP peer driven from the test (plain
// blocking calls bounded by poll time limits).
#include "runtime/link/ControlService.h"

#include "support/ProtocolTestSupport.h"

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

inline std::vector<unsigned char> tpkt_frame(std::vector<unsigned char> const& payload)
{
    std::size_t const length = payload.size() + 4;
    std::vector<unsigned char> frame(length);
    frame[0] = 3;
    frame[2] = static_cast<unsigned char>(length >> 8);
    frame[3] = static_cast<unsigned char>(length);
    std::copy(payload.begin(), payload.end(), frame.begin() + 4);
    return frame;
}

inline std::vector<unsigned char> tpkt_frame(std::string const& hex) { return tpkt_frame(bytes_of(hex)); }

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

// One connected (or refused) TCP client socket on the test's side.
class TcpClient {
public:
    explicit TcpClient(unsigned port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in a = loopback(port);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    explicit TcpClient(int fd) : fd_(fd), connected_(fd >= 0) {}
    ~TcpClient()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    TcpClient(TcpClient const&) = delete;
    TcpClient& operator=(TcpClient const&) = delete;

    bool connected() const { return connected_; }
    int fd() const { return fd_; }
    unsigned port() const { return local_port(fd_); }
    std::string name() const { return "127.0.0.1:" + std::to_string(port()); }

    bool send(std::vector<unsigned char> const& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool send(std::string const& hex) const { return send(bytes_of(hex)); }

    // Up to size bytes, waiting at most ms for each chunk.
    std::vector<unsigned char> receive(std::size_t size, int ms = 5000) const
    {
        std::vector<unsigned char> bytes(size);
        std::size_t got = 0;
        while (got < size) {
            pollfd p = {fd_, POLLIN, 0};
            if (poll(&p, 1, ms) != 1)
                break;
            ssize_t n = recv(fd_, bytes.data() + got, size - got, 0);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }
    std::string receive_hex(std::size_t size, int ms = 5000) const { return packet_of(receive(size, ms)).text(); }

    // True when the other side closed the connection within ms (end of
    // stream or reset; bytes still arriving are skipped).
    bool closed_within(int ms) const
    {
        auto const end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p = {fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1)
                return false;
            char buffer[4096];
            ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return true;
        }
    }

    // Closes with a reset instead of an orderly end of stream.
    void reset()
    {
        linger l = {1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool connected_ = false;
};
