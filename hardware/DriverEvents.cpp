#include "hardware/DriverEvents.h"

#include "hardware/device/BoardDevices.h"
#include "runtime/base/Fd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <vector>

namespace Hardware {

DriverEvents::DriverEvents(char const* path, int flags, char const* tag, char const* eventName,
                           std::size_t recordSize)
    : path_(path), flags_(flags), tag_(tag), eventName_(eventName), recordSize_(recordSize)
{
}

DriverEvents::~DriverEvents()
{
    close();
}

bool DriverEvents::open()
{
    if (fd_ >= 0)
        return true;
    int fd = Board::devices().open(path_, flags_);
    if (fd < 0)
        return false;
    fd_ = fd;
    retry_.reset();
    event_.Bind(eventName_, &DriverEvents::OnEvent, this);
    // The loop watches its own duplicate of the descriptor.
    Fd watched(::fcntl(fd_, F_DUPFD_CLOEXEC, 0));
    event_.Schedule(watched, POLLIN);
    if (openedBefore_) {
        Reapplied reapplied = OnReopen();
        std::cerr << tag_ << " device opened again: " << reapplied.done << " enabled again, " << reapplied.failed
                  << " failed" << std::endl;
    }
    openedBefore_ = true;
    return true;
}

void DriverEvents::close()
{
    retry_.reset();
    event_.Release();
    if (fd_ >= 0)
        Board::devices().close(fd_);
    fd_ = -1;
}

void DriverEvents::failed()
{
    std::cerr << tag_ << " device failure: device closed, open again in " << retryMs << " ms" << std::endl;
    close();
    retry_.set(retryMs, &DriverEvents::retry, this);
}

void DriverEvents::retry()
{
    if (!open())
        retry_.set(retryMs, &DriverEvents::retry, this);
}

void DriverEvents::OnEvent(int, short revents)
{
    if (revents & POLLIN) {
        std::vector<std::uint8_t> record(recordSize_);
        for (unsigned n = 0; n < maxRecordsPerPass && fd_ >= 0; ++n) {
            ssize_t got = Board::devices().read(fd_, record.data(), recordSize_);
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    break;
                std::cerr << "fail to read from " << tag_ << ": " << std::strerror(errno) << std::endl;
                failed();
                return;
            }
            if (got == 0)
                break;
            if (static_cast<std::size_t>(got) < recordSize_) {
                std::cerr << "short " << tag_ << " event record dropped: " << got << " bytes" << std::endl;
                continue;
            }
            OnRecord(record.data());
        }
    }
    if (fd_ >= 0 && (revents & (POLLERR | POLLHUP | POLLNVAL)))
        failed();
}

} // namespace Hardware
