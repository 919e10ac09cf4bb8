#include "runtime/link/ControlServiceUnix.h"

#include "runtime/base/RootPath.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Control {

void ServiceUnix::Connected(Fd socket, std::string const& name) { Established(std::move(socket), name); }

bool ServiceUnix::Address(std::string const& path, sockaddr_un& address, socklen_t& length)
{
    std::string const real = rootPath(path);
    address = {};
    address.sun_family = AF_UNIX;
    // The path and its terminating zero must fit; a shortened path would
    // name another file.
    if (real.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path, real.c_str(), real.size() + 1);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + real.size() + 1);
    return true;
}

std::string ServiceUnix::PathOf(sockaddr_un const& address, socklen_t length)
{
    std::size_t const offset = offsetof(sockaddr_un, sun_path);
    if (length <= offset)
        return std::string();
    std::size_t const room = std::min<std::size_t>(length - offset, sizeof address.sun_path);
    return std::string(address.sun_path, strnlen(address.sun_path, room));
}

void ServiceUnix::UnlinkSocket(std::string const& path)
{
    std::string const real = rootPath(path);
    struct stat status;
    if (lstat(real.c_str(), &status) == 0 && S_ISSOCK(status.st_mode))
        unlink(real.c_str());
}

} // namespace Control
