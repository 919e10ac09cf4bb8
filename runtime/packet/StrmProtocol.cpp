#include "runtime/packet/StrmProtocol.h"

#include "runtime/text/ExtHeader.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/base/MuxTime.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {

std::string error_text(int error) { return std::strerror(error); }

int socket_option(int fd, int name)
{
    int value = 0;
    socklen_t size = sizeof value;
    if (getsockopt(fd, SOL_SOCKET, name, &value, &size) < 0)
        return 0;
    return value;
}

int queue_size(int fd, unsigned long request)
{
    int value = 0;
    if (ioctl(fd, request, &value) < 0)
        return 0;
    return value;
}

} // namespace

StrmProtocol::StrmProtocol() { event_.Bind("StrmProtocol::on_event", &StrmProtocol::on_event, this); }

StrmProtocol::StrmProtocol(Fd fd) : StrmProtocol() { attach(std::move(fd)); }

StrmProtocol::~StrmProtocol() { release(); }

void StrmProtocol::attach(Fd fd)
{
    release();
    fd_ = std::move(fd);
    // A socket that was just attached has nothing queued, so a non-zero
    // answer means the system reports free space instead.
    outq_counts_free_ = fd_ && queue_size(fd_.get(), TIOCOUTQ) != 0;
}

void StrmProtocol::release()
{
    if (fd_.get() < 0)
        return;
    event_.Release();
    fd_.close();
}

int StrmProtocol::sendbuf_space() const { return socket_option(fd_.get(), SO_SNDBUF); }
int StrmProtocol::recvbuf_space() const { return socket_option(fd_.get(), SO_RCVBUF); }
int StrmProtocol::inq_space() const { return queue_size(fd_.get(), FIONREAD); }
int StrmProtocol::outq_space() const { return queue_size(fd_.get(), TIOCOUTQ); }

int StrmProtocol::free_space() const
{
    return outq_counts_free_ ? outq_space() : sendbuf_space() - outq_space();
}

void StrmProtocol::PutHeader(std::ostream& os) const { os << "SockStream[" << service_name_ << "]: "; }

void StrmProtocol::on_error(std::string const& text)
{
    release();
    on_deactivate(new Protocol_status_error(this, text));
}

void StrmProtocol::local_prepare_head(Packet& p) { p.reserve_head(0); }
void StrmProtocol::local_prepare_tail(Packet& p) { p.reserve_tail(0); }

void StrmProtocol::local_activate()
{
    if (!fd_) {
        on_deactivate(new Protocol_status_error(this, "fd not attached"));
        return;
    }
    event_.Schedule(fd_, POLLIN);
    on_activate();
}

void StrmProtocol::local_deactivate()
{
    release();
    on_deactivate(new Protocol_status_success(this, "success"));
}

void StrmProtocol::on_event(int, short revents)
{
    if (revents & POLLERR) {
        on_error("pollerr: " + error_text(errno));
    } else if (revents & POLLIN) {
        // A peer that wrote and then closed shows POLLIN with POLLHUP: its
        // last bytes are read first, and the end of the stream is found by
        // a later read.
        do_read();
    } else if (revents & POLLHUP) {
        on_error("pollhup: " + error_text(errno));
    }
}

void StrmProtocol::do_read()
{
    Packet packet;
    packet.reserve_head(0);
    read_measure_.begin();
    ssize_t n = recv(fd_.get(), packet.tail_space(), packet.tailroom(), MSG_DONTWAIT | MSG_NOSIGNAL);
    int error = errno;
    read_measure_.end();
    if (n < 0) {
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR)
            return;
        on_error("read error: " + error_text(error));
        return;
    }
    if (n == 0) {
        on_error("read error: " + error_text(errno));
        return;
    }
    packet.advance_tail(static_cast<unsigned>(n));
    on_message(packet);
}

void StrmProtocol::message(Packet& p)
{
    p.passert(!p.is_null(), "null packet");
    unsigned char const* at = p.payload();
    std::size_t left = p.length();
    write_measure_.begin();
    uint32_t const start = Mux::milliseconds();
    while (left > 0) {
        // Never blocks and never raises SIGPIPE: waiting is done below,
        // within the budget, and a vanished peer is an error value.
        ssize_t n = send(fd_.get(), at, left, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) {
            at += n;
            left -= static_cast<std::size_t>(n);
            continue;
        }
        int error = errno;
        if (error == EINTR)
            continue;
        if (error != EAGAIN && error != EWOULDBLOCK) {
            write_measure_.end();
            log_write_failure("write error", error);
            on_error("write error: " + error_text(error));
            return;
        }
        int32_t remaining = Mux::msdiff(start + 1000, Mux::milliseconds());
        if (remaining < 1 || !wait_writable(remaining)) {
            write_measure_.end();
            log_write_failure("write timeout", 0);
            on_error("write timeout");
            return;
        }
    }
    write_measure_.end();
}

bool StrmProtocol::wait_writable(int timeout_ms)
{
    multiplexer.resetWD();
    pollfd out = {fd_.get(), POLLOUT, 0};
    int ready = poll(&out, 1, timeout_ms);
    int error = errno;
    multiplexer.resetWD();
    return ready == 1 || (ready < 0 && error == EINTR);
}

void StrmProtocol::log_write_failure(char const* what, int error)
{
    std::cerr << ext::header(this) << what << ", sendbuf=" << sendbuf_space() << ", recvbuf=" << recvbuf_space()
              << ", free=" << free_space() << ", inq=" << inq_space() << ", outq=" << outq_space();
    if (error)
        std::cerr << ", error=" << error_text(error);
    std::cerr << std::endl;
    ++overflow_counter_;
}
