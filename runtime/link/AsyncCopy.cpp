#include "runtime/link/AsyncCopy.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ASync {

namespace {

// Whether fd reports one of events now (or a condition that makes the next
// call return at once). The copier's descriptors are duplicates of the
// caller's and may be in blocking mode, which cannot be changed without
// changing the caller's own; asking poll first keeps a read or write on such
// a descriptor from waiting.
bool ready(int fd, short events)
{
    pollfd p = {fd, events, 0};
    int n;
    do
        n = poll(&p, 1, 0);
    while (n < 0 && errno == EINTR);
    return n != 0;
}

// One read that never waits: -1 with EAGAIN when nothing is there.
ssize_t readSome(int fd, unsigned char* buffer, unsigned size)
{
    for (;;) {
        ssize_t n = recv(fd, buffer, size, MSG_DONTWAIT);
        if (n < 0 && errno == ENOTSOCK) {
            if (!ready(fd, POLLIN)) {
                errno = EAGAIN;
                return -1;
            }
            n = read(fd, buffer, size);
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

// One write that never waits and never raises SIGPIPE on a socket.
ssize_t writeSome(int fd, unsigned char const* data, std::size_t size)
{
    for (;;) {
        ssize_t n = send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) {
            if (!ready(fd, POLLOUT)) {
                errno = EAGAIN;
                return -1;
            }
            n = write(fd, data, size);
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

// Sets the requested events of a watch without touching its descriptor.
void request(Event& event, uint32_t events)
{
    if (event.events() != static_cast<short>(events))
        event.Schedule(event.fd(), static_cast<short>(events));
}

constexpr short failure_events = POLLERR | POLLHUP | POLLNVAL;

} // namespace

Copy::EventsParams::EventsParams() : read_events(POLLIN), write_events(POLLOUT), flush_events(POLLWRNORM) {}

Copy::Copy()
{
    srcEvent_.Bind("Copy::OnSrcEvent", &Copy::OnSrcEvent, this);
    dstEvent_.Bind("Copy::OnDstEvent", &Copy::OnDstEvent, this);
}

Copy::~Copy() = default;

void Copy::Start(Fd const& src, Fd const& dst)
{
    status_ = Status::Running;
    src_ = src;
    dst_ = dst;
    srcEvent_.Release();
    dstEvent_.Release();
    if (!buffer_) {
        bufSize_ = default_bufsize;
        buffer_.reset(new unsigned char[bufSize_]);
    }
    srcEvent_.Schedule(src_, 0);
    dstEvent_.Schedule(dst_, 0);
    error_ = 0;
    total_ = 0;
    step_ = &Copy::SrcReady;
    Progress();
}

void Copy::Stop()
{
    if (status_ != Status::Running)
        return;
    if (GoFlush())
        Progress();
}

void Copy::set_events(EventsParams const& events)
{
    events_ = events;
    Complete(Status::Stopped);
}

void Copy::set_bufsize(unsigned size)
{
    if (size == 0)
        size = default_bufsize;
    buffer_.reset(new unsigned char[size]);
    bufSize_ = size;
    // A write still pending pointed into the old buffer; the copy ends here.
    cur_ = end_ = nullptr;
    Complete(Status::Stopped);
}

void Copy::Progress()
{
    // A step that completes the copy returns false, so nothing of the copier
    // is touched after the handler ran.
    while ((this->*step_)()) {
    }
}

bool Copy::NotReady() { return false; }

void Copy::WaitForSource()
{
    // A watch let go after a hang-up is taken up again should the source
    // still have to be waited for.
    if (!srcEvent_.fd())
        srcEvent_.Schedule(src_, static_cast<short>(events_.read_events));
    request(srcEvent_, events_.read_events);
    request(dstEvent_, 0);
    step_ = &Copy::SrcReady;
}

void Copy::WaitForDestination()
{
    request(srcEvent_, 0);
    request(dstEvent_, events_.write_events);
    step_ = &Copy::DstReady;
}

bool Copy::SrcReady()
{
    ssize_t n = readSome(src_.get(), buffer_.get(), bufSize_);
    if (n > 0) {
        cur_ = buffer_.get();
        end_ = cur_ + n;
        WaitForDestination();
        return true;
    }
    if (n == 0)
        return GoFlush();
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        WaitForSource();
        return false;
    }
    // A source that fails has not delivered everything: the copy failed,
    // however much of it was written.
    error_ = errno;
    Complete(Status::Error);
    return false;
}

bool Copy::DstReady()
{
    ssize_t n = writeSome(dst_.get(), cur_, static_cast<std::size_t>(end_ - cur_));
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        WaitForDestination();
        return false;
    }
    if (n <= 0) {
        error_ = n < 0 ? errno : 0;
        Complete(Status::Error);
        return false;
    }
    total_ += static_cast<uint32_t>(n);
    cur_ += n;
    if (cur_ < end_)
        return true;
    if (status_ == Status::Draining)
        return GoFlushDst();
    WaitForSource();
    return true;
}

bool Copy::GoFlush()
{
    srcEvent_.Release();
    src_.close();
    if (step_ == &Copy::DstReady) {
        status_ = Status::Draining;
        return true;
    }
    return GoFlushDst();
}

bool Copy::GoFlushDst()
{
    if (events_.flush_events != 0) {
        request(dstEvent_, events_.flush_events);
        step_ = &Copy::NotReady;
        status_ = Status::Flushing;
        return true;
    }
    Complete(Status::Done);
    return false;
}

void Copy::OnSrcEvent(int, short revents)
{
    if (revents & static_cast<short>(events_.read_events)) {
        Progress();
    } else if (revents & failure_events) {
        // The next read finds the end or the error; until then the source
        // must not keep the loop busy with the same report.
        srcEvent_.Release();
        Progress();
    }
}

void Copy::OnDstEvent(int, short revents)
{
    if (revents & failure_events) {
        error_ = 0;
        Complete(Status::Error);
        return;
    }
    if ((status_ == Status::Running || status_ == Status::Draining) &&
        (revents & static_cast<short>(events_.write_events)))
        Progress();
    else if (status_ == Status::Flushing && (revents & static_cast<short>(events_.flush_events)))
        Complete(Status::Done);
}

bool Copy::Active() const
{
    return status_ == Status::Running || status_ == Status::Draining || status_ == Status::Flushing;
}

void Copy::Complete(Status::Type status)
{
    if (!Active())
        return;
    srcEvent_.Release();
    dstEvent_.Release();
    status_ = status;
    src_.close();
    dst_.close();
    step_ = &Copy::NotReady;
    if (handler_)
        handler_->Invoke(status);
}

} // namespace ASync
