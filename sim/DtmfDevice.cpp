#include "sim/DtmfDevice.h"

#include "hardware/device/BigEndian.h"
#include "hardware/device/ToneDspRequests.h"
#include "sim/ControlNumber.h"
#include "sim/RecordRequest.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <sstream>

namespace Sim {

using namespace Board::ToneDsp;

namespace {

RecordRequest const recordRequests[] = {
    {DTMF_CONFIGURE_DETECTOR, "DTMF_CONFIGURE_DETECTOR", 20},
    {DTMF_ENABLE_DETECTOR, "DTMF_ENABLE_DETECTOR", 8},
    {DTMF_DIAL, "DTMF_DIAL", 12},
    {IVA_CONFIGURE_DETECTOR, "IVA_CONFIGURE_DETECTOR", 8},
    {SELCAL_DIAL, "SELCAL_DIAL", 12},
};

// The requests with a timeslot for argument: each switches one flag.
struct Switch {
    unsigned long code;
    char const* name;
    bool DtmfDevice::Timeslot::*flag;
    bool on;
};

Switch const switches[] = {
    {DTMF_DISABLE_DETECTOR, "DTMF_DISABLE_DETECTOR", &DtmfDevice::Timeslot::dtmf, false},
    {CHANNEL_LMS_ON, "CHANNEL_LMS_ON", &DtmfDevice::Timeslot::echoCancel, true},
    {CHANNEL_LMS_OFF, "CHANNEL_LMS_OFF", &DtmfDevice::Timeslot::echoCancel, false},
    {DTMF_REJECTION_ENABLE, "DTMF_REJECTION_ENABLE", &DtmfDevice::Timeslot::rejection, true},
    {DTMF_REJECTION_DISABLE, "DTMF_REJECTION_DISABLE", &DtmfDevice::Timeslot::rejection, false},
    {IVA_DETECTOR_ENABLE, "IVA_DETECTOR_ENABLE", &DtmfDevice::Timeslot::iva, true},
    {IVA_DETECTOR_DISABLE, "IVA_DETECTOR_DISABLE", &DtmfDevice::Timeslot::iva, false},
};

Switch const* switchOf(unsigned long code)
{
    for (auto const& known : switches)
        if (known.code == code)
            return &known;
    return nullptr;
}

} // namespace

void DtmfDevice::closed(Open& open)
{
    for (auto& [ts, t] : timeslots_) {
        if (t.dtmfBy == open.id)
            t.dtmf = false;
        if (t.ivaBy == open.id)
            t.iva = false;
    }
}

int DtmfDevice::request(Open& open, unsigned long code, std::uint8_t* r, std::size_t size, RequestNote&)
{
    if (int refused = checkRequest(recordRequests, code, r, size))
        return refused;
    Timeslot& t = timeslots_[Board::get_be32(r)];
    switch (code) {
    case DTMF_CONFIGURE_DETECTOR:
        t.configured = true;
        t.twist = Board::get_be32(r + 4);
        t.ratio = Board::get_be32(r + 8);
        t.silence = Board::get_be32(r + 12);
        t.noise = Board::get_be32(r + 16);
        break;
    case DTMF_ENABLE_DETECTOR:
        t.dtmf = true;
        t.dtmfBy = open.id;
        t.id = Board::get_be32(r + 4);
        break;
    case DTMF_DIAL:
        t.freq1 = Board::get_be16(r + 4);
        t.freq2 = Board::get_be16(r + 6);
        t.level1 = Board::get_be16(r + 8);
        t.level2 = Board::get_be16(r + 10);
        break;
    case IVA_CONFIGURE_DETECTOR:
        t.ivaLevel = static_cast<std::int32_t>(Board::get_be32(r + 4));
        break;
    default: // SELCAL_DIAL
        t.selcalAmplitude = Board::get_be16(r + 4);
        t.selcal.assign(reinterpret_cast<char const*>(r + 6), 4);
        break;
    }
    return 0;
}

void DtmfDevice::describe(unsigned long code, std::uint8_t const* r, std::size_t size, RequestNote& note) const
{
    if (!nameRequest(recordRequests, code, r, size, note))
        return;
    std::ostringstream fields;
    fields << "ts=" << Board::get_be32(r);
    switch (code) {
    case DTMF_CONFIGURE_DETECTOR:
        fields << " twist=" << Board::get_be32(r + 4) << " ratio=" << Board::get_be32(r + 8)
               << " silence=" << Board::get_be32(r + 12) << " noise=" << Board::get_be32(r + 16);
        break;
    case DTMF_ENABLE_DETECTOR:
        fields << " id=" << Board::get_be32(r + 4);
        break;
    case DTMF_DIAL:
        fields << " freq1=" << Board::get_be16(r + 4) << " freq2=" << Board::get_be16(r + 6)
               << " level1=" << Board::get_be16(r + 8) << " level2=" << Board::get_be16(r + 10);
        break;
    case IVA_CONFIGURE_DETECTOR:
        fields << " det_lvl_dB=" << static_cast<std::int32_t>(Board::get_be32(r + 4));
        break;
    default: // SELCAL_DIAL
        fields << " amplitude=" << Board::get_be16(r + 4) << " signs=";
        fields.write(reinterpret_cast<char const*>(r + 6), 4);
        break;
    }
    note.fields = fields.str();
}

int DtmfDevice::request_value(Open& open, unsigned long code, unsigned long value, RequestNote&)
{
    Switch const* known = switchOf(code);
    if (!known)
        return -ENOTTY;
    Timeslot& t = timeslots_[static_cast<unsigned>(value)];
    t.*known->flag = known->on;
    if (code == IVA_DETECTOR_ENABLE)
        t.ivaBy = open.id;
    return 0;
}

void DtmfDevice::describe_value(unsigned long code, unsigned long value, RequestNote& note) const
{
    if (Switch const* known = switchOf(code)) {
        note.name = known->name;
        note.fields = "ts=" + std::to_string(value);
    }
}

ssize_t DtmfDevice::read(Open&, void* buffer, std::size_t size)
{
    return events_.read(buffer, size);
}

void DtmfDevice::queue(unsigned ts, std::uint32_t code, std::uint32_t id, std::uint32_t timestamp)
{
    std::vector<std::uint8_t> record(16);
    Board::put_be32(record.data(), code);
    Board::put_be32(record.data() + 4, ts);
    Board::put_be32(record.data() + 8, timestamp);
    Board::put_be32(record.data() + 12, id);
    events_.push(std::move(record));
}

bool DtmfDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    std::vector<unsigned long> n(words.size());
    for (std::size_t i = 1; i < words.size(); ++i)
        if (!controlNumber(words[i], n[i]))
            return false;
    if (words.empty())
        return false;
    std::string const& verb = words[0];
    if (verb == "event" && words.size() >= 3 && words.size() <= 5) {
        unsigned ts = static_cast<unsigned>(n[1]);
        std::uint32_t id = words.size() > 3 ? static_cast<std::uint32_t>(n[3]) : timeslots_[ts].id;
        std::uint32_t timestamp = words.size() > 4 ? static_cast<std::uint32_t>(n[4]) : ++timestamp_;
        queue(ts, static_cast<std::uint32_t>(n[2]), id, timestamp);
        return true;
    }
    if (verb == "short" && words.size() == 2 && n[1] < 16) {
        queue_raw(std::vector<std::uint8_t>(n[1], 0));
        return true;
    }
    if (verb == "show" && words.size() == 2) {
        Timeslot const& t = timeslots_[static_cast<unsigned>(n[1])];
        reply << "dtmf=" << (t.dtmf ? "on" : "off") << " id=" << t.id << " iva=" << (t.iva ? "on" : "off")
              << " iva_level=" << t.ivaLevel << " rejection=" << (t.rejection ? "on" : "off")
              << " echo_cancel=" << (t.echoCancel ? "on" : "off") << " generator=" << t.freq1 << '/' << t.freq2
              << '@' << t.level1 << '/' << t.level2 << " selcal=" << t.selcal << '\n';
        return true;
    }
    if (verb == "clear" && words.size() == 1) {
        events_.clear();
        return true;
    }
    return false;
}

} // namespace Sim
