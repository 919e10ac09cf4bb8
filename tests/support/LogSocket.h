#pragma once
// A stand-in for the log daemon: a datagram socket bound at
// <SERVER_ROOT>/dev/log that hands back each datagram it received, split
// into its NUL-terminated records.
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

class LogSocket {
public:
    explicit LogSocket(std::string const& path) : path_(path)
    {
        ::unlink(path.c_str());
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~LogSocket()
    {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    LogSocket(LogSocket const&) = delete;
    LogSocket& operator=(LogSocket const&) = delete;

    bool bound() const { return bound_; }

    // The records of the next datagram; none when nothing arrives within
    // timeoutMs. Each record keeps its bytes up to its NUL; a trailing piece
    // without a NUL is returned as "<raw>" + text.
    std::vector<std::string> receive(int timeoutMs = 5000)
    {
        std::vector<std::string> records;
        pollfd p = {fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return records;
        std::vector<char> data(65536);
        ssize_t n = ::recv(fd_, data.data(), data.size(), 0);
        size_t start = 0;
        for (size_t i = 0; n > 0 && i < static_cast<size_t>(n); ++i) {
            if (data[i] == '\0') {
                records.emplace_back(data.data() + start, i - start);
                start = i + 1;
            }
        }
        if (n > 0 && start < static_cast<size_t>(n))
            records.push_back("<raw>" + std::string(data.data() + start, static_cast<size_t>(n) - start));
        return records;
    }

private:
    std::string path_;
    int fd_;
    bool bound_;
};
