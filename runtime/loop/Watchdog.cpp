#include "runtime/loop/Watchdog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

void report(char const* what)
{
    std::cerr << what << std::strerror(errno) << std::endl;
}

} // namespace

void Watchdog::open(std::string const& path)
{
    fd_ = Fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd_) {
        report("Mux: fail to open watchdog: ");
        return;
    }
    if (!write("START", 5)) {
        report("Mux: fail to activate watchdog: ");
        fd_.close();
    }
}

void Watchdog::ping()
{
    if (fd_ && !write("PING", 4))
        report("Mux: ping watchdog failed: ");
}

void Watchdog::stop()
{
    if (!fd_)
        return;
    if (!write("STOP", 4))
        report("Mux: stop watchdog failed: ");
    fd_.close();
}

bool Watchdog::write(char const* word, std::size_t length)
{
    ssize_t written = ::write(fd_.get(), word, length);
    if (written >= 0 && static_cast<std::size_t>(written) != length)
        errno = EIO;
    return written >= 0 && static_cast<std::size_t>(written) == length;
}
