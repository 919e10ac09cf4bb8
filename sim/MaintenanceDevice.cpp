#include "sim/MaintenanceDevice.h"

#include "hardware/device/BigEndian.h"
#include "sim/ControlNumber.h"

#include <cerrno>
#include <ostream>
#include <sstream>

namespace Sim {

using Board::get_be32;
using Board::put_be32;

namespace {

char const* const stateNames[] = {"normal", "lossBF", "lossCarrier", "ais", "rai", "unknown", "disabled"};

bool stateWord(std::string const& word, std::uint32_t& state)
{
    for (std::uint32_t i = 0; i < std::size(stateNames); ++i) {
        if (word == stateNames[i]) {
            state = i;
            return true;
        }
    }
    unsigned long value = 0;
    if (!controlNumber(word, value))
        return false;
    state = static_cast<std::uint32_t>(value);
    return true;
}

std::string hex(unsigned long value)
{
    std::ostringstream s;
    s << "0x" << std::hex << value;
    return s.str();
}

} // namespace

bool MaintenanceDevice::set_status(unsigned trunk, TrunkStatus const& status)
{
    if (trunk >= trunks)
        return false;
    status_[trunk] = status;
    return true;
}

int MaintenanceDevice::request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote&)
{
    if (code != Board::Maintenance::STATUS)
        return -ENOTTY;
    if (size < Board::Maintenance::statusSize)
        return -EFAULT;
    std::uint32_t trunk = get_be32(record);
    if (trunk >= trunks)
        return -EINVAL;
    TrunkStatus const& status = status_[trunk];
    put_be32(record + Board::Maintenance::slipsAt, status.slips);
    put_be32(record + Board::Maintenance::lossBFAt, status.lossBF);
    put_be32(record + Board::Maintenance::lossCarrierAt, status.lossCarrier);
    put_be32(record + Board::Maintenance::lossAISAt, status.lossAIS);
    put_be32(record + Board::Maintenance::lossRAIAt, status.lossRAI);
    put_be32(record + Board::Maintenance::stateAt, status.state);
    return 0;
}

void MaintenanceDevice::describe(unsigned long code, std::uint8_t const* record, std::size_t size,
                                 RequestNote& note) const
{
    if (code != Board::Maintenance::STATUS)
        return;
    note.name = "status";
    if (size >= Board::Maintenance::statusSize)
        note.fields = "trunk=" + std::to_string(get_be32(record));
}

int MaintenanceDevice::request_value(Open&, unsigned long code, unsigned long value, RequestNote&)
{
    if (code == Board::Maintenance::TCLK_MASK)
        tclk_ = static_cast<std::uint32_t>(value);
    else if (code == Board::Maintenance::CLOCK_SOURCE)
        source_ = static_cast<long>(value);
    else
        return -ENOTTY;
    return 0;
}

void MaintenanceDevice::describe_value(unsigned long code, unsigned long value, RequestNote& note) const
{
    if (code == Board::Maintenance::TCLK_MASK) {
        note.name = "tclk";
        note.fields = "mask=" + hex(value);
    } else if (code == Board::Maintenance::CLOCK_SOURCE) {
        note.name = "clock-source";
        note.fields = "source=" + std::to_string(static_cast<long>(value));
    }
}

bool MaintenanceDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    if (words.empty())
        return false;
    std::string const& verb = words[0];
    unsigned long trunk = 0;
    bool trunkGiven = words.size() >= 2 && controlNumber(words[1], trunk) && trunk < trunks;
    if (verb == "state" && words.size() == 3 && trunkGiven)
        return stateWord(words[2], status_[trunk].state);
    if (verb == "counters" && words.size() == 7 && trunkGiven) {
        std::vector<unsigned long> values;
        if (!controlNumbers(words, 2, values))
            return false;
        TrunkStatus& status = status_[trunk];
        status.slips = static_cast<std::uint32_t>(values[0]);
        status.lossBF = static_cast<std::uint32_t>(values[1]);
        status.lossCarrier = static_cast<std::uint32_t>(values[2]);
        status.lossAIS = static_cast<std::uint32_t>(values[3]);
        status.lossRAI = static_cast<std::uint32_t>(values[4]);
        return true;
    }
    if (verb == "reset" && words.size() == 1) {
        status_.fill(TrunkStatus{});
        return true;
    }
    if (verb == "show" && words.size() == 1) {
        for (unsigned t = 0; t < trunks; ++t) {
            TrunkStatus const& s = status_[t];
            reply << "trunk " << t << " state=" << s.state << " slips=" << s.slips << " lossBF=" << s.lossBF
                  << " lossCarrier=" << s.lossCarrier << " lossAIS=" << s.lossAIS << " lossRAI=" << s.lossRAI << '\n';
        }
        reply << "tclk=" << hex(tclk_) << " source=" << source_ << '\n';
        return true;
    }
    return false;
}

} // namespace Sim
