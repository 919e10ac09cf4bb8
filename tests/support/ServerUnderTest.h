#pragma once
// The real server program run for an end-to-end test (see ChildProgram), with
// the directories it writes into made in its scratch root, on a free control
// port when asked.
#include "support/ChildProgram.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace e2e {

// A TCP port on loopback that nothing listens on at the moment.
inline unsigned short freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned short port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

class ServerUnderTest : public ChildProgram {
public:
    // The scratch root gets the directories the server writes into.
    ServerUnderTest()
    {
        root().makeDir("/var/run");
        root().makeDir("/var/log");
        root().makeDir("/usr/local/etc");
    }

    // Starts the server with these arguments after the program name.
    void start(std::vector<std::string> const& args) { ChildProgram::start("core/server", args); }

    // Starts the server on a free control port.
    unsigned short startOnFreePort(std::vector<std::string> args = {})
    {
        port_ = freePort();
        args.push_back("--port");
        args.push_back(std::to_string(port_));
        start(args);
        return port_;
    }

    unsigned short port() const { return port_; }

    bool pidFileWritten() const
    {
        return eventually([&] { return !root().read("/var/run/server.pid").empty(); });
    }

private:
    unsigned short port_ = 0;
};

} // namespace e2e
