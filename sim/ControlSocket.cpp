#include "sim/ControlSocket.h"

#include "sim/SimulatedBoard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Sim {

struct ControlSocket::Client {
    Client(ControlSocket& owner, Fd const& fd) : owner(owner)
    {
        event.Bind("sim control client", &Client::onEvent, this);
        event.Schedule(fd, POLLIN);
    }
    void onEvent(int, short revents) { owner.onClient(*this, revents); }

    ControlSocket& owner;
    Event event;
    std::string in;
    std::string out;
    bool skipping = false;   // discarding the rest of an over-long line
    bool peerDone = false;   // the client sends no more
};

ControlSocket::ControlSocket(SimulatedBoard& board) : board_(board)
{
    listener_.Bind("sim control socket", &ControlSocket::onAccept, this);
}

ControlSocket::~ControlSocket()
{
    close();
}

bool ControlSocket::listen(std::string const& socketPath, std::string& error)
{
    close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + socketPath;
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    struct stat st{};
    if (::lstat(socketPath.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(socketPath.c_str());
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(fd.get(), static_cast<int>(maxClients)) != 0) {
        error = "can't listen on " + socketPath + ": " + std::strerror(errno);
        return false;
    }
    path_ = socketPath;
    listener_.Schedule(fd, POLLIN);
    return true;
}

void ControlSocket::close()
{
    clients_.clear();
    if (listener_.fd()) {
        listener_.Release();
        ::unlink(path_.c_str());
    }
    path_.clear();
}

void ControlSocket::onAccept(int fd, short revents)
{
    if (!(revents & POLLIN))
        return;
    Fd accepted(::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!accepted)
        return;
    if (clients_.size() >= maxClients) {
        static char const busy[] = "error: too many clients\n";
        ssize_t ignored = ::send(accepted.get(), busy, sizeof busy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        (void)ignored;
        return;
    }
    clients_.push_back(std::make_unique<Client>(*this, accepted));
}

void ControlSocket::onClient(Client& client, short revents)
{
    if (revents & (POLLERR | POLLNVAL)) {
        drop(client);
        return;
    }
    if (revents & POLLOUT)
        flush(client);
    if ((revents & (POLLIN | POLLHUP)) && !client.peerDone && client.out.size() < outputHold)
        readFrom(client);
    // Lines held back while the output was large run once it has drained,
    // as long as the socket takes what they produce.
    do {
        runLines(client);
        flush(client);
    } while (client.out.size() < outputHold && client.in.find('\n') != std::string::npos);
    if (client.out.size() > outputLimit || (client.peerDone && client.out.empty())) {
        drop(client);
        return;
    }
    watch(client);
}

void ControlSocket::readFrom(Client& client)
{
    char chunk[4096];
    ssize_t n = ::recv(client.event.fd().get(), chunk, sizeof chunk, MSG_DONTWAIT);
    if (n > 0) {
        client.in.append(chunk, static_cast<std::size_t>(n));
        runLines(client);
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        client.peerDone = true;
        // The last line may lack its end.
        if (!client.in.empty() && !client.skipping)
            client.in += '\n';
        runLines(client);
    }
}

// Runs the complete lines received, while the client's unsent output is
// small enough; an over-long line is refused as soon as it is seen to be
// one, without waiting for its end.
void ControlSocket::runLines(Client& client)
{
    while (client.out.size() < outputHold) {
        std::size_t end = client.in.find('\n');
        if (end == std::string::npos) {
            if (client.in.size() > maxLine) {
                if (!client.skipping)
                    client.out += "error: line too long\n";
                client.skipping = true;
                client.in.clear();
            }
            return;
        }
        std::string line = client.in.substr(0, end);
        client.in.erase(0, end + 1);
        if (client.skipping) {
            client.skipping = false;
            continue;
        }
        if (line.size() > maxLine) {
            client.out += "error: line too long\n";
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::ostringstream reply;
        board_.control(line, reply);
        client.out += reply.str();
    }
}

void ControlSocket::flush(Client& client)
{
    while (!client.out.empty()) {
        ssize_t n = ::send(client.event.fd().get(), client.out.data(), client.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            client.out.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        // The client is gone: nothing more can reach it.
        client.out.clear();
        client.in.clear();
        client.peerDone = true;
        return;
    }
}

void ControlSocket::watch(Client& client)
{
    short events = 0;
    if (!client.peerDone && client.out.size() < outputHold)
        events |= POLLIN;
    if (!client.out.empty())
        events |= POLLOUT;
    if (events != client.event.events())
        client.event.Schedule(client.event.fd(), events);
}

void ControlSocket::drop(Client& client)
{
    auto found = std::find_if(clients_.begin(), clients_.end(),
                              [&](std::unique_ptr<Client> const& c) { return c.get() == &client; });
    if (found != clients_.end())
        clients_.erase(found);
}

} // namespace Sim
