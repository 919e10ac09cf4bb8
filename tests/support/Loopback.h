#pragma once
// TCP on 127.0.0.1 for the tests: addresses, the local port of a socket, a
// listener driven from the test (plain blocking calls bounded by poll time
// limits) and a port that nothing listens on.
#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    return ntohs(a.sin_port);
}

// A listening socket on 127.0.0.1, by default with an ephemeral port.
class TcpListener {
public:
    explicit TcpListener(unsigned port = 0) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        int const on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a = loopback(port);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 8);
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
        if (::poll(&p, 1, ms) != 1)
            return -1;
        return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
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

// A TCP port on loopback that nothing listens on at the moment.
inline unsigned short freePort() { return static_cast<unsigned short>(TcpListener().port()); }
