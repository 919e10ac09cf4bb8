#pragma once
// The message connection over a local stream socket named by a path: the
// common part of the Unix-socket acceptor and connector. Paths are server
// paths (an absolute one lies under SERVER_ROOT); a path that does not fit
// a socket address is refused, never cut short.
#include "runtime/link/ControlService.h"

#include <string>
#include <sys/socket.h>
#include <sys/un.h>

namespace Control {

class ServiceUnix : public Service {
public:
    // Attaches an established socket; name is the peer's path. Does nothing
    // while a loss is being handled.
    void Connected(Fd socket, std::string const& name);

    // The socket address of path (under SERVER_ROOT when absolute) and its
    // length; false (errno ENAMETOOLONG) when the path does not fit.
    static bool Address(std::string const& path, sockaddr_un& address, socklen_t& length);
    // The path in an address the system returned; empty for an unnamed
    // socket.
    static std::string PathOf(sockaddr_un const& address, socklen_t length);
    // Removes what is at path when it is a socket, and nothing else.
    static void UnlinkSocket(std::string const& path);
};

} // namespace Control
