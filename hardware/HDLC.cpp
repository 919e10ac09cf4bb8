#include "hardware/HDLC.h"

#include "hardware/HwMux.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"
#include "hardware/device/MccRequests.h"
#include "runtime/packet/Packet.h"
#include "runtime/process/TraceCtl.h"
#include "runtime/text/ExtHeader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <new>
#include <poll.h>

namespace {

char const* const mccDevice = "/dev/mcc/ctl";

// The controller mode of each kind.
std::uint32_t const modeOfKind[] = {3, 0, 1};
int const kinds = 3;

class Ignore : public HDLC::Notify {
public:
    void on_hdlc_receive(Packet&) override {}
    void on_hdlc_error(Cause::Type) override {}
    void on_hdlc_ready() override {}
};

HDLC::Notify* nobody()
{
    static Ignore* const listener = new Ignore; // lives to program exit
    return listener;
}

} // namespace

HDLC::HDLC(HwMux* mux) : listener(nobody()), mux_(mux), alive_(std::make_shared<bool>(true)) {}

HDLC::~HDLC()
{
    *alive_ = false;
}

HwMux& HDLC::mux() const
{
    return mux_ ? *mux_ : HwMux::instance();
}

void HDLC::unbind()
{
    listener = nobody();
}

void HDLC::PutHeader(std::ostream& out) const
{
    out << "hdlc [" << link << "/" << channel << "]: ";
}

bool HDLC::refuse(int fd, char const* what)
{
    std::cerr << ext::header(this) << what << std::strerror(errno) << std::endl;
    if (fd >= 0)
        Board::devices().close(fd);
    return false;
}

bool HDLC::activate()
{
    deactivate();
    counters = Counters{};
    if (kind < 0 || kind >= kinds) {
        std::cerr << ext::header(this) << "activate: unknown kind " << kind << std::endl;
        return false;
    }
    int const transmit = kind == 2 ? second_channel : first_channel;
    if (first_channel < 0 || transmit < 0) {
        std::cerr << ext::header(this) << "activate: channel not set" << std::endl;
        return false;
    }
    int fd = Board::devices().open(mccDevice, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(fd, "fail to open MCC device: ");
    Board::Record<Board::Mcc::allocateSize> allocate;
    allocate.put32(0, modeOfKind[kind]);
    allocate.put32(4, 512);
    allocate.put32(8, 0);
    allocate.put32(12, 1);
    allocate.put32(16, 4);
    if (Board::devices().request(fd, Board::Mcc::MCC_ALLOCATE, allocate.data(), allocate.size()) < 0)
        return refuse(fd, "MCC_ALLOCATE fail: ");
    int m = Board::devices().request_none(fd, Board::Mcc::MCC_TIMESLOT);
    if (m < 0)
        return refuse(fd, "MCC_TIMESLOT fail: ");
    mux().Connect(m, transmit);
    mux().Connect(first_channel, m);
    event_.Bind("HDLC::OnEvent", &HDLC::on_event, this);
    // The event keeps its own duplicate; this one closes here.
    event_.Schedule(Fd(fd), POLLIN | POLLOUT);
    ++generation_;
    ready_ = false;
    if (traces.signalling_hdlc)
        std::clog << ext::header(this) << "activated" << std::endl;
    return true;
}

void HDLC::deactivate()
{
    if (event_.fd())
        ++generation_;
    event_.Release();
    ready_ = false;
    if (traces.signalling_hdlc)
        std::clog << ext::header(this) << "deactivated" << std::endl;
}

bool HDLC::hdlc_transmit(Packet& frame)
{
    if (frame.length() == 0)
        return true;
    if (!is_open()) {
        ++counters.discarded;
        return false;
    }
    if (traces.signalling_hdlc)
        std::clog << "HDLC[" << link << "]: tx " << frame.text() << std::endl;
    for (;;) {
        if (Board::devices().write(event_.fd().get(), frame.payload(), frame.length()) >= 0) {
            ++counters.sent;
            return true;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN) {
            // The listener hears on_hdlc_ready() once the channel drains.
            ready_ = false;
            event_.Schedule(event_.fd(), POLLIN | POLLOUT);
        } else {
            ++counters.send_errors;
        }
        return false;
    }
}

void HDLC::on_event(int, short revents)
{
    std::shared_ptr<bool const> const alive = alive_;
    unsigned const serving = generation_;
    if (revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) {
        do_read();
        // The listener may have closed, replaced or deleted the channel.
        if (!*alive || generation_ != serving)
            return;
        // A descriptor that reports a failure without a read error would
        // be reported again on every pass.
        if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
            closeAfterError("channel hang-up");
            return;
        }
    }
    if ((revents & POLLOUT) && !ready_) {
        ready_ = true;
        event_.Schedule(event_.fd(), POLLIN);
        listener->on_hdlc_ready();
    }
}

void HDLC::closeAfterError(char const* why)
{
    std::cerr << ext::header(this) << "read error: " << why << std::endl;
    deactivate();
    listener->on_hdlc_error(Notify::Cause::closed);
}

void HDLC::do_read()
{
    if (traces.signalling_hdlc)
        std::clog << ext::header(this) << "do_read" << std::endl;
    if (!is_open()) {
        std::clog << ext::header(this) << "do_read: !m_event.IsActive()" << std::endl;
        return;
    }
    std::shared_ptr<bool const> const alive = alive_;
    unsigned const serving = generation_;
    ssize_t n = 0;
    for (;;) {
        Packet frame;
        try {
            frame.reserve_head(0);
        } catch (std::bad_alloc const&) {
            // The frames wait in the driver for the next pass.
            std::cerr << ext::header(this) << "no packet buffer, frames left for later" << std::endl;
            return;
        }
        n = Board::devices().read(event_.fd().get(), frame.tail_space(), frame.tailroom());
        if (n < 1)
            break;
        frame.advance_tail(static_cast<unsigned>(n));
        if (traces.signalling_hdlc)
            std::clog << "HDLC[" << link << "]: rx " << frame.text() << std::endl;
        ++counters.received;
        listener->on_hdlc_receive(frame);
        if (!*alive || generation_ != serving)
            return;
    }
    if (n < 0 && errno == EAGAIN)
        return;
    closeAfterError(n == 0 ? "end of file" : std::strerror(errno));
}
