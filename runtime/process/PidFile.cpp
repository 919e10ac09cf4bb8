#include "runtime/process/PidFile.h"

#include "runtime/base/RootPath.h"

#include <fcntl.h>
#include <unistd.h>

namespace Linux {

namespace {

std::string pidText(pid_t pid) { return std::to_string(static_cast<long>(pid)); }

bool holds(std::string const& path, std::string const& text)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char content[32];
    ssize_t n = ::read(fd, content, sizeof content);
    ::close(fd);
    return n >= 0 && std::string(content, static_cast<size_t>(n)) == text;
}

} // namespace

Run::Run(char const* name) : path_(rootPath("/var/run/") + name + ".pid")
{
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_SYNC, 0644);
    if (fd_ < 0)
        return;
    std::string text = pidText(::getpid());
    ssize_t written = ::write(fd_, text.data(), text.size());
    (void)written;
    ::fsync(fd_);
}

Run::~Run()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    if (holds(path_, pidText(::getpid())))
        ::unlink(path_.c_str());
}

} // namespace Linux
