#include "hardware/SpiCtrl.h"

#include "hardware/DeviceNames.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"
#include "runtime/text/ExtHeader.h"

#include <boost/cast.hpp>
#include <cerrno>
#include <fcntl.h>
#include <iostream>

namespace {

enum : unsigned long {
    registerRead = 0xc0034203,
    registerWrite = 0xc0034204,
};

// Line-interface registers and the values this system writes.
enum : unsigned {
    regInit48 = 48,
    regControl = 50,
    regStatus = 51,
    regInit52 = 52,
    regInit53 = 53,
    regInit54 = 54,
    regInit55 = 55,
    regClock = 87,
};
unsigned const channelDisabled = 128;
unsigned const channelEnabled = 0;
unsigned const notClockMaster = 48;
unsigned const clockMaster = 56;

// Status register bits.
unsigned const carrier = 0x01;
unsigned const frameAlignment = 0x04;
unsigned const slip = 0x20;
unsigned const alarmMask = 0xC0;
unsigned const alarmRai = 0x80;
unsigned const alarmNone = 0xC0;

} // namespace

spiCtrl& spiCtrl::instance()
{
    static spiCtrl spi;
    return spi;
}

spiCtrl::spiCtrl()
{
    init_device_and_channels();
}

spiCtrl::~spiCtrl()
{
    statusTimer_.reset();
    if (fd_ >= 0)
        Board::devices().close(fd_);
}

void spiCtrl::PutHeader(std::ostream& out) const
{
    out << "spi: ";
}

bool spiCtrl::failed(int errnum)
{
    if (errnum != ENODEV)
        return true;
    enabled_ = false;
    statusTimer_.reset();
    std::clog << ext::header(this) << "hal without spi" << std::endl;
    return false;
}

void spiCtrl::write(unsigned ch, unsigned reg, unsigned data)
{
    if (fd_ < 0 || !enabled_)
        return;
    Board::Record<3> request;
    request.put8(0, static_cast<std::uint8_t>(ch));
    request.put8(1, static_cast<std::uint8_t>(reg));
    request.put8(2, static_cast<std::uint8_t>(data));
    if (Board::devices().request(fd_, registerWrite, request.data(), request.size()) < 0 && failed(errno))
        std::clog << ext::header(this) << "write error: channel=" << ch << " addr=" << reg << " data=" << data
                  << std::endl;
}

unsigned spiCtrl::read(unsigned ch, unsigned reg)
{
    if (fd_ < 0 || !enabled_)
        return 0;
    Board::Record<3> request;
    request.put8(0, static_cast<std::uint8_t>(ch));
    request.put8(1, static_cast<std::uint8_t>(reg));
    request.put8(2, 0xFF);
    int const result = Board::devices().request(fd_, registerRead, request.data(), request.size());
    if (result < 0) {
        if (failed(errno))
            std::clog << ext::header(this) << "read error: channel=" << ch << " addr=" << reg << std::endl;
        return 0;
    }
    return static_cast<unsigned>(result) & 0xFF;
}

void spiCtrl::init_device_and_channels()
{
    if (fd_ >= 0 || !enabled_)
        return;
    std::clog << ext::header(this) << "try init" << std::endl;
    fd_ = Board::devices().open(halDeviceName, O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        std::clog << ext::header(this) << halDeviceName << " open fail" << std::endl;
        return;
    }
    for (int ch = 0; ch < 7; ++ch) {
        init_channel(ch);
        enable_channel(ch);
    }
}

void spiCtrl::init_channel(int ch)
{
    init_device_and_channels();
    if (!enabled_)
        return;
    if (static_cast<unsigned>(ch) >= channels) {
        std::clog << ext::header(this) << "bad channel for init " << ch << std::endl;
        return;
    }
    auto const c = static_cast<unsigned>(ch);
    write(c, regControl, channelDisabled);
    write(c, regInit48, 8);
    write(c, regClock, notClockMaster);
    write(c, regInit52, 96);
    write(c, regInit53, 0);
    write(c, regInit54, 0);
    write(c, regInit55, 0);
    // A write may have found the driver without SPI.
    if (enabled_)
        std::clog << ext::header(this) << "init channel " << ch << std::endl;
}

void spiCtrl::enable_channel(int ch)
{
    switch_channel(ch, channelEnabled, "enable");
}

void spiCtrl::disable_channel(int ch)
{
    switch_channel(ch, channelDisabled, "disable");
}

void spiCtrl::switch_channel(int ch, unsigned control, char const* what)
{
    init_device_and_channels();
    if (!enabled_)
        return;
    if (static_cast<unsigned>(ch) >= channels) {
        std::clog << ext::header(this) << "bad channel for " << what << ' ' << ch << std::endl;
        return;
    }
    write(static_cast<unsigned>(ch), regControl, control);
    if (enabled_)
        std::clog << ext::header(this) << what << " channel " << ch << std::endl;
}

void spiCtrl::clock(int ch)
{
    init_device_and_channels();
    if (!enabled_)
        return;
    if (ch < -1 || ch >= static_cast<int>(channels)) {
        std::clog << ext::header(this) << "bad channel for set clock master " << ch << std::endl;
        return;
    }
    for (unsigned c = 0; c < channels; ++c)
        write(c, regClock, notClockMaster);
    if (ch >= 0)
        write(static_cast<unsigned>(ch), regClock, clockMaster);
    if (!enabled_)
        return;
    if (ch >= 0)
        std::clog << ext::header(this) << "set clock master on channel " << ch << std::endl;
    else
        std::clog << ext::header(this) << "clock master disabled" << std::endl;
}

void spiCtrl::status()
{
    for (unsigned ch = 0; ch < channels; ++ch) {
        if (!enabled_)
            return; // no SPI after all: nothing more to report, nothing to re-arm
        unsigned const s = read(ch, regStatus);
        if (!enabled_)
            return;
        report(ch, s);
    }
    statusTimer_.set(statusPeriodMs, &spiCtrl::status, this);
}

void spiCtrl::report(unsigned ch, unsigned s)
{
    ACP::TrunkState::NamedNumber state;
    if (!(s & carrier))
        state = ACP::TrunkState::lossCarrier;
    else if (!(s & frameAlignment))
        state = ACP::TrunkState::lossBF;
    else if ((s & alarmMask) == alarmRai)
        state = ACP::TrunkState::rai;
    else if ((s & alarmMask) == alarmNone)
        state = ACP::TrunkState::normal;
    else
        state = ACP::TrunkState::ais;

    int slips = 0;
    if (!(s & slip)) {
        slipLatch_[ch] = false;
    } else if (!slipLatch_[ch]) {
        slipLatch_[ch] = true;
        slips = 1;
    }

    ZUZU::Signal signal;
    signal.select(ZUZU::Signal::trunkStatus);
    auto& trunk = *boost::polymorphic_downcast<ACP::TrunkStatus*>(signal.getValue());
    trunk.set_trunk(static_cast<int>(ch));
    trunk.set_state(state);
    trunk.set_slips(slips);
    trunk.set_lossBF(0);
    trunk.set_lossCarrier(0);
    trunk.set_lossAIS(0);
    trunk.set_lossRAI(0);
    trunk.set_name("");
    trunk.set_clockMaster(false);
    trunk.set_type(ACP::TrunkType::bri);
    SendSignal(signal);
}

void spiCtrl::OnConnect()
{
    if (fd_ >= 0 && enabled_)
        statusTimer_.set(statusPeriodMs, &spiCtrl::status, this);
}

void spiCtrl::OnDisconnect()
{
    statusTimer_.reset();
}

void spiCtrl::Stop()
{
    if (fd_ < 0)
        return;
    statusTimer_.reset();
    for (unsigned ch = 0; ch < channels; ++ch)
        disable_channel(static_cast<int>(ch));
    clock(-1);
    Board::devices().close(fd_);
    fd_ = -1;
}
