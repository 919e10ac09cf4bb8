#pragma once
// The far end of a control link as the tests and the command-line tools play
// it: a plain TCP socket (Nagle's algorithm off), independent of the
// server's own connection stack on purpose. It writes raw bytes or TPKT
// frames of given payloads, and reads raw bytes or cuts what it reads into
// the frames' payloads. Writes block until done; reads wait at most a given
// time. Made by connecting, or by taking over a socket the test accepted.
#include "tests/support/HexText.h"
#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// The TPKT frame of a payload: 03 00, the length with the four-byte head, the
// payload.
template <class Octet>
std::vector<Octet> tpkt_frame(std::vector<Octet> const& payload)
{
    std::size_t const length = payload.size() + 4;
    std::vector<Octet> frame;
    frame.reserve(length);
    frame.push_back(3);
    frame.push_back(0);
    frame.push_back(static_cast<Octet>(length >> 8));
    frame.push_back(static_cast<Octet>(length & 0xFF));
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

inline std::vector<unsigned char> tpkt_frame(std::string const& hex) { return tpkt_frame(bytes_of(hex)); }

class TpktClient {
public:
    enum Result { frame, timeout, closed, malformed };

    TpktClient() = default;
    // Connects to the port on 127.0.0.1; connected() tells whether it worked.
    explicit TpktClient(unsigned port) { connect("127.0.0.1", static_cast<unsigned short>(port)); }
    // Takes over a connected socket (-1: none).
    explicit TpktClient(int fd) : fd_(fd) {}
    void adopt(int fd)
    {
        close();
        fd_ = fd;
    }
    ~TpktClient() { close(); }
    TpktClient(TpktClient const&) = delete;
    TpktClient& operator=(TpktClient const&) = delete;

    // False with errno set when the address is not dotted IPv4 or the
    // connection fails.
    bool connect(std::string const& host, unsigned short port)
    {
        close();
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
            errno = EINVAL;
            return false;
        }
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            int const error = errno;
            close();
            errno = error;
            return false;
        }
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }

    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        buffer_.clear();
    }

    // Closes with a reset instead of an orderly end of stream.
    void reset()
    {
        linger l = {1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        close();
    }

    bool connected() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The local port, and the address as the other side names it.
    unsigned port() const { return local_port(fd_); }
    std::string name() const { return "127.0.0.1:" + std::to_string(port()); }

    // Writes the bytes as they are.
    bool send(void const* data, std::size_t size) const
    {
        auto const* bytes = static_cast<char const*>(data);
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::send(fd_, bytes + done, size - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    template <class Octet>
    bool send(std::vector<Octet> const& bytes) const { return send(bytes.data(), bytes.size()); }
    bool send(std::string const& hex) const { return send(bytes_of(hex)); }

    // Writes one frame of the payload.
    bool sendFrame(std::vector<char> const& payload) const { return send(tpkt_frame(payload)); }

    // Up to size bytes, waiting at most ms for each chunk.
    std::vector<unsigned char> receive(std::size_t size, int ms = 5000) const
    {
        std::vector<unsigned char> bytes(size);
        std::size_t got = 0;
        while (got < size) {
            pollfd p = {fd_, POLLIN, 0};
            if (::poll(&p, 1, ms) != 1)
                break;
            ssize_t n = ::recv(fd_, bytes.data() + got, size - got, 0);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }
    std::string receive_hex(std::size_t size, int ms = 5000) const { return hexText(receive(size, ms)); }

    // The next frame's payload, waiting at most timeoutMs for more bytes
    // each time (0: only what has arrived). A head that is not 03 00 with a
    // length of at least 4 is malformed, and stays so.
    Result receiveFrame(std::vector<char>& payload, int timeoutMs)
    {
        for (;;) {
            Result whole = takeFrame(payload);
            if (whole != timeout)
                return whole;
            pollfd ready = {fd_, POLLIN, 0};
            if (::poll(&ready, 1, timeoutMs) != 1)
                return timeout;
            char chunk[65536];
            ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0)
                return closed;
            buffer_.insert(buffer_.end(), chunk, chunk + n);
        }
    }

    // The bytes received but not yet taken as frames.
    std::vector<char> const& unread() const { return buffer_; }

    // True when the other side closed the connection within ms (end of
    // stream or reset; bytes still arriving are skipped).
    bool closed_within(int ms) const
    {
        auto const end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p = {fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1)
                return false;
            char buffer[4096];
            ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return true;
        }
    }

private:
    Result takeFrame(std::vector<char>& payload)
    {
        if (buffer_.size() < 4)
            return timeout;
        std::size_t const length = (std::size_t(static_cast<unsigned char>(buffer_[2])) << 8)
            | static_cast<unsigned char>(buffer_[3]);
        if (buffer_[0] != 3 || buffer_[1] != 0 || length < 4)
            return malformed;
        if (buffer_.size() < length)
            return timeout;
        payload.assign(buffer_.begin() + 4, buffer_.begin() + static_cast<long>(length));
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(length));
        return frame;
    }

    int fd_ = -1;
    std::vector<char> buffer_;
};
