#include "sim/ControlClient.h"

#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace Sim {

bool ControlClient::connect(std::string const& socketPath)
{
    fd_.close();
    pending_.clear();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd || ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return false;
    fd_ = std::move(fd);
    return true;
}

ControlClient::Result ControlClient::ask(std::string const& line, std::string& reply, int limitMs)
{
    reply.clear();
    if (!fd_)
        return failed;
    std::string out = line + '\n';
    for (std::size_t sent = 0; sent < out.size();) {
        ssize_t n = ::send(fd_.get(), out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return failed;
        sent += static_cast<std::size_t>(n);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        // Whole lines only; the closing line ends the reply.
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
            std::string got = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            reply += got + '\n';
            if (got == "ok")
                return ok;
            if (got.compare(0, 7, "error: ") == 0)
                return refused;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd{fd_.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            return failed;
        char chunk[4096];
        ssize_t n = ::recv(fd_.get(), chunk, sizeof chunk, 0);
        if (n <= 0)
            return failed;
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

} // namespace Sim
