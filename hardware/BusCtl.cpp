#include "hardware/BusCtl.h"

#include "hardware/DeviceNames.h"
#include "hardware/SpiCtrl.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"
#include "protocol/asn1/notation/ValueNotation.h"
#include "runtime/text/ExtHeader.h"

#include <boost/cast.hpp>
#include <fcntl.h>
#include <iostream>
#include <iterator>

namespace {

unsigned long const clockSelectRequest = 0x80044301;

// Sources the bus takes when the controller names no trunk clock.
int const externalBackplane = 5;

char const* const clockSources[] = {"f0", "f1", "f2", "f3", "freerun", "X3", "?1", "?2"};

} // namespace

char const* getclksrc_text(int source)
{
    if (source < 0 || source >= static_cast<int>(std::size(clockSources)))
        return nullptr;
    return clockSources[source];
}

BusCtl& BusCtl::instance()
{
    static BusCtl bus;
    return bus;
}

BusCtl::BusCtl(spiCtrl* spi) : spi_(spi) {}

BusCtl::~BusCtl()
{
    if (fd_ >= 0)
        Board::devices().close(fd_);
}

spiCtrl& BusCtl::spi() const
{
    return spi_ ? *spi_ : spiCtrl::instance();
}

void BusCtl::PutHeader(std::ostream& out) const
{
    out << "clkctl: ";
}

void BusCtl::DisableControl()
{
    std::clog << "clock control disabled." << std::endl;
    enabled_ = false;
}

bool BusCtl::IsOpen()
{
    if (fd_ >= 0)
        return true;
    if (!enabled_)
        return false;
    fd_ = Board::devices().open(halDeviceName, O_RDWR | O_CLOEXEC);
    return fd_ >= 0;
}

void BusCtl::OnConnect()
{
    if (enabled_)
        SetDefaultClock();
}

void BusCtl::OnDisconnect()
{
    if (enabled_)
        SetDefaultClock();
}

bool BusCtl::OnCommand(ZUZU::Command const& command)
{
    if (command.getSelection() != ZUZU::Command::clockCfg)
        return false;
    if (!enabled_) {
        Error(ZUZU::ErrorCause::unsupported);
        return true;
    }
    if (SetClockSrc(*boost::polymorphic_downcast<ZUZU::ClockCfg const*>(command.getValue())))
        Success();
    else
        Error(ZUZU::ErrorCause::busError);
    return true;
}

void BusCtl::SetDefaultClock()
{
    ZUZU::ClockCfg cfg;
    cfg.set_clkSel0(ZUZU::ClkSel0::internal);
    cfg.set_bextEn(ZUZU::BExtEn::disabled);
    cfg.set_source(-1);
    SetClockSrc(cfg);
}

bool BusCtl::SetClockSrc(ZUZU::ClockCfg const& cfg)
{
    if (!IsOpen()) {
        spi().clock(-1);
        std::cerr << ext::header(this) << "set clock source fail: code 1." << std::endl;
        return false;
    }
    std::cerr << ext::header(this) << "set clock source cmd: " << cfg << std::endl;
    int source;
    if (cfg.get_clkSel0().getValue() == ZUZU::ClkSel0::internal)
        source = freeRun;
    else if (cfg.get_bextEn().getValue() == ZUZU::BExtEn::disabled)
        source = externalBackplane;
    else if (cfg.get_source().getValue() >= 0)
        source = cfg.get_source().getValue();
    else
        return true; // a trunk clock without a trunk: nothing to select
    return DrvSetClkSrc(source);
}

bool BusCtl::DrvSetClkSrc(int source)
{
    if (!IsOpen()) {
        std::cerr << ext::header(this) << "device open error" << std::endl;
        return false;
    }
    Board::Record<4> request;
    request.put32(0, static_cast<std::uint32_t>(source));
    if (Board::devices().request(fd_, clockSelectRequest, request.data(), request.size()) < 0) {
        std::cerr << ext::header(this) << "HW_CLOCK_SELECT fail." << std::endl;
        return false;
    }
    std::cerr << ext::header(this) << "clock source = ";
    if (char const* name = getclksrc_text(source))
        std::cerr << name;
    else
        std::cerr << source;
    std::cerr << std::endl;
    return true;
}
