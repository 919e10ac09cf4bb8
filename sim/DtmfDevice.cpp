#include "sim/DtmfDevice.h"

#include "hardware/device/BigEndian.h"
#include "hardware/device/ToneDspRequests.h"
#include "sim/ControlNumber.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <sstream>

namespace Sim {

using namespace Board::ToneDsp;

void DtmfDevice::closed(Open& open)
{
    for (auto& [ts, t] : timeslots_) {
        if (t.dtmfBy == open.id)
            t.dtmf = false;
        if (t.ivaBy == open.id)
            t.iva = false;
    }
}

int DtmfDevice::request(Open& open, unsigned long code, std::uint8_t* r, std::size_t size, RequestNote& note)
{
    auto sized = [&](std::size_t expected) { return size == expected && r != nullptr; };
    std::ostringstream fields;
    switch (code) {
    case DTMF_CONFIGURE_DETECTOR: {
        note.name = "DTMF_CONFIGURE_DETECTOR";
        if (!sized(20))
            return -EINVAL;
        Timeslot& t = timeslots_[Board::get_be32(r)];
        t.configured = true;
        t.twist = Board::get_be32(r + 4);
        t.ratio = Board::get_be32(r + 8);
        t.silence = Board::get_be32(r + 12);
        t.noise = Board::get_be32(r + 16);
        fields << "ts=" << Board::get_be32(r) << " twist=" << t.twist << " ratio=" << t.ratio
               << " silence=" << t.silence << " noise=" << t.noise;
        break;
    }
    case DTMF_ENABLE_DETECTOR: {
        note.name = "DTMF_ENABLE_DETECTOR";
        if (!sized(8))
            return -EINVAL;
        Timeslot& t = timeslots_[Board::get_be32(r)];
        t.dtmf = true;
        t.dtmfBy = open.id;
        t.id = Board::get_be32(r + 4);
        fields << "ts=" << Board::get_be32(r) << " id=" << t.id;
        break;
    }
    case DTMF_DIAL: {
        note.name = "DTMF_DIAL";
        if (!sized(12))
            return -EINVAL;
        Timeslot& t = timeslots_[Board::get_be32(r)];
        t.freq1 = Board::get_be16(r + 4);
        t.freq2 = Board::get_be16(r + 6);
        t.level1 = Board::get_be16(r + 8);
        t.level2 = Board::get_be16(r + 10);
        fields << "ts=" << Board::get_be32(r) << " freq1=" << t.freq1 << " freq2=" << t.freq2 << " level1=" << t.level1
               << " level2=" << t.level2;
        break;
    }
    case IVA_CONFIGURE_DETECTOR: {
        note.name = "IVA_CONFIGURE_DETECTOR";
        if (!sized(8))
            return -EINVAL;
        Timeslot& t = timeslots_[Board::get_be32(r)];
        t.ivaLevel = static_cast<std::int32_t>(Board::get_be32(r + 4));
        fields << "ts=" << Board::get_be32(r) << " det_lvl_dB=" << t.ivaLevel;
        break;
    }
    case SELCAL_DIAL: {
        note.name = "SELCAL_DIAL";
        if (!sized(12))
            return -EINVAL;
        Timeslot& t = timeslots_[Board::get_be32(r)];
        t.selcalAmplitude = Board::get_be16(r + 4);
        t.selcal.assign(reinterpret_cast<char const*>(r + 6), 4);
        fields << "ts=" << Board::get_be32(r) << " amplitude=" << t.selcalAmplitude << " signs=" << t.selcal;
        break;
    }
    default:
        return -ENOTTY;
    }
    note.fields = fields.str();
    return 0;
}

int DtmfDevice::request_value(Open& open, unsigned long code, unsigned long value, RequestNote& note)
{
    struct Switch {
        unsigned long code;
        char const* name;
        bool Timeslot::*flag;
        bool on;
    };
    static Switch const switches[] = {
        {DTMF_DISABLE_DETECTOR, "DTMF_DISABLE_DETECTOR", &Timeslot::dtmf, false},
        {CHANNEL_LMS_ON, "CHANNEL_LMS_ON", &Timeslot::echoCancel, true},
        {CHANNEL_LMS_OFF, "CHANNEL_LMS_OFF", &Timeslot::echoCancel, false},
        {DTMF_REJECTION_ENABLE, "DTMF_REJECTION_ENABLE", &Timeslot::rejection, true},
        {DTMF_REJECTION_DISABLE, "DTMF_REJECTION_DISABLE", &Timeslot::rejection, false},
        {IVA_DETECTOR_ENABLE, "IVA_DETECTOR_ENABLE", &Timeslot::iva, true},
        {IVA_DETECTOR_DISABLE, "IVA_DETECTOR_DISABLE", &Timeslot::iva, false},
    };
    for (auto const& s : switches) {
        if (s.code != code)
            continue;
        note.name = s.name;
        note.fields = "ts=" + std::to_string(value);
        Timeslot& t = timeslots_[static_cast<unsigned>(value)];
        t.*s.flag = s.on;
        if (s.code == IVA_DETECTOR_ENABLE)
            t.ivaBy = open.id;
        return 0;
    }
    return -ENOTTY;
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
