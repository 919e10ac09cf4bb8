#pragma once
// The controller's end of the control link for end-to-end tests: a TCP
// connection to the server on loopback that writes TPKT frames of given
// payload bytes and reads the frames the server sends.
#include "ServerUnderTest.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace e2e {

using Bytes = std::vector<uint8_t>;

inline Bytes tpkt(Bytes const& payload)
{
    std::size_t length = payload.size() + 4;
    Bytes frame = {3, 0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length & 0xFF)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

inline std::string hex(Bytes const& bytes)
{
    static char const digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

class ControllerLink {
public:
    ControllerLink() = default;
    ~ControllerLink() { close(); }
    ControllerLink(ControllerLink const&) = delete;
    ControllerLink& operator=(ControllerLink const&) = delete;

    // Connects, retrying while the server is not listening yet.
    bool connect(unsigned short port, milliseconds limit = patience(milliseconds(10000)))
    {
        return eventually([&] { return tryConnect(port); }, limit);
    }

    // Connects and pings until the server answers: a connection made
    // before the server noticed the end of the previous controller is
    // refused.
    bool connectServed(unsigned short port, milliseconds limit = patience(milliseconds(10000)))
    {
        return eventually([&] { return tryConnect(port) && send({0x06, 0x00}) && receive(milliseconds(500)) == "10"; },
                          limit);
    }

    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        buffer_.clear();
    }

    bool write(Bytes const& bytes)
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

    bool send(Bytes const& payload) { return write(tpkt(payload)); }

    // The payload of the next frame as hex text; "" when none arrives in
    // time, "closed" when the server closed the connection.
    std::string receive(milliseconds limit = patience(milliseconds(5000)))
    {
        auto deadline = Clock::now() + limit;
        for (;;) {
            if (buffer_.size() >= 4) {
                std::size_t length = (std::size_t(buffer_[2]) << 8) | buffer_[3];
                if (buffer_[0] != 3 || buffer_[1] != 0 || length < 4)
                    return "bad frame: " + hex(buffer_);
                if (buffer_.size() >= length) {
                    Bytes payload(buffer_.begin() + 4, buffer_.begin() + static_cast<long>(length));
                    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(length));
                    return hex(payload);
                }
            }
            int left = static_cast<int>(std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count());
            if (left <= 0)
                return "";
            int got = readSome(left);
            if (got < 0)
                return "closed";
            if (got == 0)
                return "";
        }
    }

    // True when the server closes the connection within the limit; frames
    // that arrive meanwhile are skipped.
    bool closedByServer(milliseconds limit = patience(milliseconds(5000)))
    {
        auto deadline = Clock::now() + limit;
        for (;;) {
            int left = static_cast<int>(std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count());
            if (left <= 0)
                return false;
            int got = readSome(left);
            if (got < 0)
                return true;
            if (got == 0)
                return false;
        }
    }

private:
    bool tryConnect(unsigned short port)
    {
        close();
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close();
            return false;
        }
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }

    // Appends what arrives within the limit: the byte count, 0 for none,
    // -1 when the connection was closed or failed.
    int readSome(int limitMs)
    {
        pollfd p = {fd_, POLLIN, 0};
        int ready = ::poll(&p, 1, limitMs);
        if (ready <= 0)
            return 0;
        uint8_t chunk[4096];
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0)
            return -1;
        buffer_.insert(buffer_.end(), chunk, chunk + n);
        return static_cast<int>(n);
    }

    int fd_ = -1;
    Bytes buffer_;
};

} // namespace e2e
