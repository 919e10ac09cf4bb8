#include "hardware/HwMux.h"

#include "hardware/DeviceNames.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"
#include "runtime/text/ExtHeader.h"
#include "runtime/text/StreamFormatGuard.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

enum : unsigned long {
    connectRequest = 0x80084d02,
    disableRequest = 0x80044d03,
    constantRequest = 0xc0084d04,
    readRequest = 0xc0084d05,
};

// The largest number the output table can hold as a source; the two above
// it mark disabled and constant outputs.
int const maxSource = HwMux::constant - 1;

} // namespace

HwMux& HwMux::instance()
{
    static HwMux mux;
    return mux;
}

HwMux::HwMux()
{
    for (auto& entry : outputs_)
        entry = disabled;
    std::clog << ext::header(this) << "init" << std::endl;
    IsOpened();
    refresh_.Bind(this, &HwMux::OnDPC);
}

HwMux::~HwMux()
{
    if (fd_ >= 0)
        Board::devices().close(fd_);
    refresh_.Deactivate();
    refresh_.Bind(nullptr);
}

void HwMux::PutHeader(std::ostream& out) const
{
    out << "hwMux: ";
}

bool HwMux::IsOpened()
{
    if (fd_ >= 0)
        return true;
    fd_ = Board::devices().open(halDeviceName, O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        std::clog << ext::header(this) << "can't open device: " << std::strerror(errno) << std::endl;
        return false;
    }
    std::clog << ext::header(this) << "device opened" << std::endl;
    for (int i = 0; i < trackedOutputs; ++i) {
        Board::Record<4> off;
        off.put32(0, static_cast<std::uint32_t>(firstTracked + i));
        Board::devices().request(fd_, disableRequest, off.data(), off.size());
        outputs_[i] = disabled;
    }
    cursor_ = 0;
    refresh_.Activate();
    ::usleep(500);
    return true;
}

bool HwMux::tracked(int ch)
{
    return ch >= firstTracked && ch < firstTracked + trackedOutputs;
}

void HwMux::record(int ch, std::uint16_t state)
{
    if (tracked(ch))
        outputs_[ch - firstTracked] = state;
}

bool HwMux::Connect(int src, int dst)
{
    if (!IsOpened() || src < 0 || dst < 0) {
        std::clog << ext::header(this) << "ERROR not opened" << std::endl;
        return false;
    }
    // A tracked output cannot record a source the table would take for its
    // own "off" or "constant" marks (as "off" it would even be switched off
    // again by the refresh). Other outputs are not recorded and pass it on.
    if (tracked(dst) && src > maxSource) {
        std::clog << ext::header(this) << "connect " << src << " -> " << dst
                  << " refused: source out of range for a tracked output" << std::endl;
        return false;
    }
    record(dst, static_cast<std::uint16_t>(src));
    Board::Record<8> request;
    request.put32(0, static_cast<std::uint32_t>(dst));
    request.put32(4, static_cast<std::uint32_t>(src));
    if (Board::devices().request(fd_, connectRequest, request.data(), request.size()) < 0) {
        std::clog << ext::header(this) << "connect " << src << " -> " << dst << " failed: " << std::strerror(errno)
                  << std::endl;
        return false;
    }
    return true;
}

bool HwMux::Disconnect(int ch)
{
    if (!IsOpened() || ch < 0)
        return false;
    if (!Drive(ch, idle)) {
        std::clog << ext::header(this) << "disconnect failed " << ch << " : " << std::strerror(errno) << std::endl;
        return false;
    }
    return true;
}

bool HwMux::Disable(int ch)
{
    if (!IsOpened() || ch < 0)
        return false;
    record(ch, disabled);
    Board::Record<4> request;
    request.put32(0, static_cast<std::uint32_t>(ch));
    if (Board::devices().request(fd_, disableRequest, request.data(), request.size()) < 0) {
        std::clog << ext::header(this) << "disable failed " << ch << " : " << std::strerror(errno) << std::endl;
        return false;
    }
    return true;
}

bool HwMux::Write(int ch, unsigned char byte)
{
    if (!IsOpened() || ch < 0)
        return false;
    if (!Drive(ch, byte)) {
        char const* reason = std::strerror(errno);
        StreamFormatGuard guard(std::clog);
        std::clog << ext::header(this) << "write failed " << ch << " <- 0x" << std::hex << unsigned(byte) << std::dec
                  << " : " << reason << std::endl;
        return false;
    }
    return true;
}

bool HwMux::Drive(int ch, unsigned char byte)
{
    record(ch, constant);
    Board::Record<8> request;
    request.put32(0, static_cast<std::uint32_t>(ch));
    request.put32(4, byte);
    return Board::devices().request(fd_, constantRequest, request.data(), request.size()) >= 0;
}

unsigned char HwMux::Read(int ch)
{
    if (!IsOpened() || ch < 0)
        return 0xFF;
    Board::Record<8> request;
    request.put32(0, static_cast<std::uint32_t>(ch));
    request.put32(4, 255);
    if (Board::devices().request(fd_, readRequest, request.data(), request.size()) < 0) {
        char const* reason = std::strerror(errno);
        StreamFormatGuard guard(std::clog);
        std::clog << ext::header(this) << "read failed " << ch << " -> 0x" << std::hex << request.get32(4) << std::dec
                  << " : " << reason << std::endl;
        return 0xFF;
    }
    return request.get8(7);
}

void HwMux::RefreshChannel(int i)
{
    if (i < 0 || i >= trackedOutputs || outputs_[i] != disabled)
        return;
    Board::Record<4> request;
    request.put32(0, static_cast<std::uint32_t>(firstTracked + i));
    Board::devices().request(fd_, disableRequest, request.data(), request.size());
}

void HwMux::OnDPC()
{
    if (fd_ < 0)
        return;
    for (int n = 0; n < 128; ++n) {
        cursor_ = (cursor_ + 1) % trackedOutputs;
        RefreshChannel(static_cast<int>(cursor_));
    }
}
