#include "hardware/E1Ctl.h"

#include "hardware/DeviceNames.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"
#include "hardware/device/E1Requests.h"
#include "protocol/schemas/ACP.h"
#include "runtime/text/ExtHeader.h"

#include <boost/polymorphic_cast.hpp>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sstream>

namespace {

char const* const casDevice = "/dev/e1-cas";
int const deviceFlags = O_RDWR | O_NONBLOCK | O_CLOEXEC;

namespace Maintenance = Board::Maintenance;
namespace Cas = Board::Cas;

// The trunks whose timing the TCLK mask can name.
int const tclkTrunks = 32;

// Timeslot 0 stands for the trunk and 16 carries the signalling
// multiframe: neither is ever a CAS channel.
bool isChannel(std::uint32_t timeslot)
{
    return timeslot != 0 && timeslot != 16;
}

Board::Record<Cas::bitsSize> bitsRecord(cas_channel const& ch)
{
    Board::Record<Cas::bitsSize> record;
    record.put32(0, ch.path);
    record.put32(4, ch.timeslot);
    return record;
}

// The configure request: open with the code, or close.
int configure(int fd, cas_channel const& ch, unsigned code, bool close)
{
    Board::Record<Cas::configureSize> record;
    record.put32(0, ch.path);
    record.put32(4, ch.timeslot);
    record.put8(9, static_cast<std::uint8_t>(code & 15));
    record.put32(12, close ? 1 : 0);
    return Board::devices().request(fd, Cas::CONFIGURE, record.data(), record.size());
}

} // namespace

E1Ctl& E1Ctl::instance()
{
    static E1Ctl e1;
    return e1;
}

E1Ctl::E1Ctl() = default;

E1Ctl::~E1Ctl()
{
    statusTimer_.reset();
    if (maintenance_ >= 0)
        Board::devices().close(maintenance_);
}

void E1Ctl::PutHeader(std::ostream& out) const
{
    out << "E1: ";
}

bool E1Ctl::OnCommand(ZUZU::Command const& command)
{
    switch (command.getSelection()) {
    case ZUZU::Command::ioctl:
        // An ioctl with a slot is the slot's own.
        if (IsSlotPresent())
            return false;
        HandleCas(*boost::polymorphic_downcast<ZUZU::IoctlParams const*>(command.getValue()));
        Success();
        return true;
    case ZUZU::Command::trunkCfg:
        SetMode(*boost::polymorphic_downcast<ZUZU::TrunkCfg const*>(command.getValue()));
        Success();
        return true;
    default:
        return false;
    }
}

void E1Ctl::OnConnect()
{
    SendStatus();
    statusTimer_.set(statusPeriodMs, &E1Ctl::OnCheckStatus, this);
    tclk_ = 0;
    UpdateTclk();
    CheckOpenCas();
}

void E1Ctl::OnDisconnect()
{
    // A descriptor dropped after an error is opened again to close the
    // trunks the controller left open.
    CheckOpenCas();
    for (unsigned trunk = 0; trunk < trunks; ++trunk) {
        if (casOpen_[trunk]) {
            cas_channel ch;
            ch.path = trunk;
            HandleCasClose(ch);
        }
    }
}

void E1Ctl::OnCheckStatus(Timer*)
{
    SendStatus();
    CheckOpenCas();
    statusTimer_.set(statusPeriodMs, &E1Ctl::OnCheckStatus, this);
}

bool E1Ctl::IsOpen()
{
    if (maintenance_ < 0)
        maintenance_ = Board::devices().open(GetMaintenance(), deviceFlags);
    return maintenance_ >= 0;
}

void E1Ctl::SendStatus()
{
    if (!IsOpen())
        return;
    for (unsigned trunk = 0; trunk < trunks; ++trunk) {
        Board::Record<Maintenance::statusSize> record;
        record.put32(0, trunk);
        if (Board::devices().request(maintenance_, Maintenance::STATUS, record.data(), record.size()) < 0) {
            std::cerr << ext::header(this) << "synchronization status read fail, trunk = " << trunk
                      << " cause = " << std::strerror(errno) << std::endl;
            continue;
        }
        auto* status = new ACP::TrunkStatus;
        status->set_trunk(static_cast<int>(trunk));
        // A state the signal has no name for is reported as unknown.
        std::uint32_t state = record.get32(Maintenance::stateAt);
        status->set_state(state <= ACP::TrunkState::disabled ? static_cast<ACP::TrunkState::NamedNumber>(state)
                                                              : ACP::TrunkState::unknown);
        status->set_slips(static_cast<int>(record.get32(Maintenance::slipsAt)));
        status->set_lossBF(static_cast<int>(record.get32(Maintenance::lossBFAt)));
        status->set_lossCarrier(static_cast<int>(record.get32(Maintenance::lossCarrierAt)));
        status->set_lossAIS(static_cast<int>(record.get32(Maintenance::lossAISAt)));
        status->set_lossRAI(static_cast<int>(record.get32(Maintenance::lossRAIAt)));
        status->set_name("");
        status->set_clockMaster(false);
        status->set_type(ACP::TrunkType::e1);
        ZUZU::Signal signal;
        signal.setSelection(ZUZU::Signal::trunkStatus, status);
        SendSignal(signal);
    }
}

void E1Ctl::SetMode(ZUZU::TrunkCfg const& cfg)
{
    int trunk = cfg.get_trunk().getValue();
    // The mask has one bit per trunk; other numbers name no trunk.
    if (trunk < 0 || trunk >= tclkTrunks)
        return;
    std::uint32_t bit = std::uint32_t{1} << trunk;
    switch (cfg.get_mode().getValue()) {
    case ZUZU::TrunkMode::slave:
        tclk_ |= bit;
        break;
    case ZUZU::TrunkMode::master:
        tclk_ &= ~bit;
        break;
    default:
        return;
    }
    UpdateTclk();
}

void E1Ctl::UpdateTclk()
{
    if (!IsOpen())
        return;
    if (Board::devices().request_value(maintenance_, Maintenance::TCLK_MASK, tclk_) < 0) {
        std::cerr << ext::header(this) << "fail to set TCLK [cause=" << std::strerror(errno) << "]" << std::endl;
        return;
    }
    std::clog << ext::header(this) << "TCLT = 0x" << std::hex << tclk_ << std::dec << std::endl;
}

bool E1Ctl::select_source(int source)
{
    if (!IsOpen())
        return false;
    if (Board::devices().request_value(maintenance_, Maintenance::CLOCK_SOURCE, static_cast<unsigned long>(source)) < 0) {
        std::cerr << ext::header(this) << "fail to set clock source" << std::endl;
        return false;
    }
    return true;
}

bool E1Ctl::CheckOpenCas()
{
    if (casEvent_.fd())
        return true;
    int fd = Board::devices().open(casDevice, deviceFlags);
    if (fd < 0)
        return false;
    std::clog << ext::header(this) << "cas interface opened!" << std::endl;
    casEvent_.Bind("E1/Cas", &E1Ctl::OnUpdateCas, this);
    // The event keeps its own duplicate; this one closes here.
    casEvent_.Schedule(Fd(fd), POLLIN);
    if (casDropped_) {
        casDropped_ = false;
        OpenTrunksAgain();
    }
    return true;
}

void E1Ctl::DropCas(char const* why)
{
    std::cerr << ext::header(this) << "cas interface " << why << ", closed" << std::endl;
    casEvent_.Release();
    casDropped_ = true;
}

int E1Ctl::OpenTrunk(std::uint32_t trunk)
{
    return Board::devices().request_value(casEvent_.fd().get(), Cas::OPEN_TRUNK, trunk);
}

void E1Ctl::OpenTrunksAgain()
{
    std::ostringstream trunksLine;
    for (unsigned trunk = 0; trunk < trunks; ++trunk) {
        if (!casOpen_[trunk])
            continue;
        int r = OpenTrunk(trunk);
        trunksLine << (trunksLine.tellp() == 0 ? ", open cas signalling on " : ", ") << "trunk(" << trunk << ") - ";
        if (r >= 0) {
            trunksLine << "ok";
            continue;
        }
        trunksLine << "fail(" << r << ")";
        casOpen_[trunk] = false;
        SendCASTrunkStatus(static_cast<int>(trunk), r);
    }
    std::string opened = trunksLine.str();
    std::clog << ext::header(this) << "cas interface opened again" << (opened.empty() ? ", no trunk open" : opened)
              << std::endl;
}

void E1Ctl::OnUpdateCas(int fd, short revents)
{
    // A broken descriptor keeps reporting itself; polling it again would
    // spin the loop. It is opened again at the next status tick.
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
        DropCas("error or hang-up");
        return;
    }
    if (!(revents & POLLIN))
        return;
    std::uint8_t record[Cas::bitsSize];
    ssize_t n = Board::devices().read(fd, record, sizeof record);
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            DropCas("read error");
        return;
    }
    if (static_cast<std::size_t>(n) != Cas::bitsSize) {
        std::cerr << ext::header(this) << "cas event of " << n << " bytes dropped" << std::endl;
        return;
    }
    SendCASSignal(static_cast<int>(Board::get_be32(record)), static_cast<int>(Board::get_be32(record + 4)),
                  record[8], record[9]);
}

void E1Ctl::HandleCas(ZUZU::IoctlParams const& params)
{
    if (!CheckOpenCas() || params.getSelection() != ZUZU::IoctlParams::cas)
        return;
    auto const& command = *boost::polymorphic_downcast<ZUZU::CasCommand const*>(params.getValue());
    cas_channel ch;
    ch.path = static_cast<std::uint32_t>(command.get_channel().get_path().getValue());
    ch.timeslot = static_cast<std::uint32_t>(command.get_channel().get_timeslot().getValue());
    ZUZU::CasCommandSignal const& cmd = command.get_cmd();
    auto argument = [&cmd] { return boost::polymorphic_downcast<ASN1::INTEGER const*>(cmd.getValue())->getValue(); };
    switch (cmd.getSelection()) {
    case ZUZU::CasCommandSignal::open:
        HandleCasOpen(ch, argument());
        break;
    case ZUZU::CasCommandSignal::close:
        HandleCasClose(ch);
        break;
    case ZUZU::CasCommandSignal::set:
        HandleCasSet(ch, argument());
        break;
    case ZUZU::CasCommandSignal::get:
        HandleCasGet(ch);
        break;
    default:
        break;
    }
}

void E1Ctl::HandleCasOpen(cas_channel const& ch, int code)
{
    if (!casTrunk(ch.path))
        return;
    int const trunk = static_cast<int>(ch.path);
    int const timeslot = static_cast<int>(ch.timeslot);
    int const fd = casEvent_.fd().get();
    if (!casOpen_[ch.path]) {
        int r = OpenTrunk(ch.path);
        SendCASTrunkStatus(trunk, r);
        if (r < 0) {
            std::clog << ext::header(this) << "open cas signalling on trunk(" << trunk << ") - fail(" << r << ")"
                      << std::endl;
            return;
        }
        std::clog << ext::header(this) << "open cas signalling on trunk(" << trunk << ") - ok" << std::endl;
        casOpen_[ch.path] = true;
    } else {
        SendCASTrunkStatus(trunk, 0);
    }
    if (!isChannel(ch.timeslot))
        return;
    int r = configure(fd, ch, static_cast<unsigned>(code), false);
    if (r < 0) {
        SendCASSignal(trunk, timeslot, r, 0);
        return;
    }
    Board::Record<Cas::bitsSize> record = bitsRecord(ch);
    SignalBits(ch, record.data());
}

void E1Ctl::HandleCasClose(cas_channel const& ch)
{
    if (!casTrunk(ch.path) || !casOpen_[ch.path])
        return;
    int const trunk = static_cast<int>(ch.path);
    int const fd = casEvent_.fd().get();
    if (ch.timeslot == 0) {
        int r = Board::devices().request_value(fd, Cas::CLOSE_TRUNK, ch.path);
        SendCASTrunkStatus(trunk, r == 0 ? 1 : r);
        if (r >= 0)
            casOpen_[ch.path] = false;
    } else if (isChannel(ch.timeslot)) {
        int r = configure(fd, ch, 0, true);
        if (r < 0)
            SendCASSignal(trunk, static_cast<int>(ch.timeslot), r, 0);
        else
            SendCASSignal(trunk, static_cast<int>(ch.timeslot), -1, 1);
    }
}

void E1Ctl::HandleCasSet(cas_channel const& ch, int value)
{
    if (!casTrunk(ch.path) || !casOpen_[ch.path])
        return;
    Board::Record<Cas::bitsSize> record = bitsRecord(ch);
    record.put8(9, static_cast<std::uint8_t>(value & 15));
    int r = Board::devices().request(casEvent_.fd().get(), Cas::SET_BITS, record.data(), record.size());
    if (r < 0) {
        SendCASSignal(static_cast<int>(ch.path), static_cast<int>(ch.timeslot), r, 0);
        return;
    }
    record.put8(8, 0);
    record.put8(9, 0);
    SignalBits(ch, record.data());
}

void E1Ctl::HandleCasGet(cas_channel const& ch)
{
    if (!casTrunk(ch.path) || !casOpen_[ch.path])
        return;
    Board::Record<Cas::bitsSize> record = bitsRecord(ch);
    SignalBits(ch, record.data());
}

void E1Ctl::SignalBits(cas_channel const& ch, unsigned char* record)
{
    int r = Board::devices().request(casEvent_.fd().get(), Cas::GET_BITS, record, Cas::bitsSize);
    if (r < 0)
        SendCASSignal(static_cast<int>(ch.path), static_cast<int>(ch.timeslot), r, 0);
    else
        SendCASSignal(static_cast<int>(ch.path), static_cast<int>(ch.timeslot), record[8], record[9]);
}

void E1Ctl::SendCASSignal(int trunk, int timeslot, int rx, int tx)
{
    auto* cas = new ZUZU::CasSignalling;
    cas->ref_channel().set_path(trunk);
    cas->ref_channel().set_timeslot(timeslot);
    cas->set_rx(rx);
    cas->set_tx(tx);
    ZUZU::Signal signal;
    signal.setSelection(ZUZU::Signal::cas, cas);
    SendSignal(signal);
}

void E1Ctl::Assign(ZUZU::CasChannel& target, cas_channel const& ch)
{
    target.set_path(static_cast<int>(ch.path));
    target.set_timeslot(static_cast<int>(ch.timeslot));
}
