#pragma once
// The controller's end of a control link, as the command-line tools and the
// end-to-end tests play it: a plain TCP connection (Nagle's algorithm off)
// that writes TPKT frames of given payloads and cuts what it reads into the
// frames' payloads. Sends block until written; reads wait at most a given
// time. Independent of the server's own connection stack on purpose.
#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

class TpktClient {
public:
    enum Result { frame, timeout, closed, malformed };

    TpktClient() = default;
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
            close();
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

    int fd() const { return fd_; }

    static std::vector<char> framed(std::vector<char> const& payload)
    {
        std::size_t const length = payload.size() + 4;
        std::vector<char> frame;
        frame.reserve(length);
        frame.push_back(3);
        frame.push_back(0);
        frame.push_back(static_cast<char>(length >> 8));
        frame.push_back(static_cast<char>(length & 0xFF));
        frame.insert(frame.end(), payload.begin(), payload.end());
        return frame;
    }

    // Writes the bytes as they are.
    bool write(std::vector<char> const& bytes)
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

    bool send(std::vector<char> const& payload) { return write(framed(payload)); }

    // The next frame's payload, waiting at most timeoutMs for more bytes
    // each time (0: only what has arrived). A head that is not 03 00 with a
    // length of at least 4 is malformed, and stays so.
    Result receive(std::vector<char>& payload, int timeoutMs)
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
