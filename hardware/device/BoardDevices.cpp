#include "hardware/device/BoardDevices.h"

#include "runtime/base/RootPath.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Board {

namespace {

// The board's drivers, reached through the system calls.
class SystemDevices final : public Devices {
public:
    int open(char const* path, int flags) override { return ::open(rootPath(path).c_str(), flags); }
    int request(int fd, unsigned long code, void* record, std::size_t) override { return ::ioctl(fd, code, record); }
    int request_value(int fd, unsigned long code, unsigned long value) override { return ::ioctl(fd, code, value); }
    int request_none(int fd, unsigned long code) override { return ::ioctl(fd, code); }
    ssize_t read(int fd, void* buffer, std::size_t size) override { return ::read(fd, buffer, size); }
    ssize_t write(int fd, void const* buffer, std::size_t size) override { return ::write(fd, buffer, size); }
    int close(int fd) override { return ::close(fd); }
};

SystemDevices systemDevices;
Devices* installed = &systemDevices;

} // namespace

Devices& devices()
{
    return *installed;
}

void install(Devices* implementation)
{
    installed = implementation ? implementation : &systemDevices;
}

} // namespace Board
