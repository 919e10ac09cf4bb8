#include "runtime/loop/LoopWakeup.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

LoopWakeup::~LoopWakeup()
{
    int writeFd = writeFd_;
    writeFd_ = -1;
    if (writeFd >= 0)
        ::close(writeFd);
    if (readFd_ >= 0)
        ::close(readFd_);
    readFd_ = -1;
}

bool LoopWakeup::open()
{
    if (readFd_ >= 0)
        return true;
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    readFd_ = ends[0];
    writeFd_ = ends[1];
    return true;
}

void LoopWakeup::wake()
{
    int fd = writeFd_;
    if (fd < 0)
        return;
    int saved = errno;
    char byte = 0;
    // A full pipe already holds a wake-up.
    ssize_t ignored = ::write(fd, &byte, 1);
    (void)ignored;
    errno = saved;
}

void LoopWakeup::drain()
{
    if (readFd_ < 0)
        return;
    char buffer[64];
    while (::read(readFd_, buffer, sizeof buffer) > 0) {
    }
}
