#include "runtime/base/Fd.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

Fd& Fd::operator=(Fd const& other)
{
    if (this != &other) {
        int copy = other.dup();
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = copy;
    }
    return *this;
}

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Fd::~Fd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int Fd::dup() const
{
    if (fd_ < 0)
        return -1;
    int copy = ::dup(fd_);
    if (copy >= 0)
        SetCloexec(copy, true);
    return copy;
}

int Fd::close()
{
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    int result = ::close(fd_);
    fd_ = -1;
    return result;
}

bool Fd::NonBlock() const
{
    return fd_ >= 0 && NonBlockMode(fd_);
}

namespace {

bool changeStatusFlags(int fd, int add, int remove)
{
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    return ::fcntl(fd, F_SETFL, (flags | add) & ~remove) == 0;
}

} // namespace

bool NonBlockMode(int fd)
{
    return changeStatusFlags(fd, O_NONBLOCK, 0);
}

bool BlockMode(int fd)
{
    return changeStatusFlags(fd, 0, O_NONBLOCK);
}

bool SetCloexec(int fd, bool on)
{
    int flags = ::fcntl(fd, F_GETFD);
    if (flags < 0)
        return false;
    flags = on ? (flags | FD_CLOEXEC) : (flags & ~FD_CLOEXEC);
    return ::fcntl(fd, F_SETFD, flags) == 0;
}
