#include "sim/DspDevice.h"

#include "hardware/device/BigEndian.h"
#include "hardware/device/VoiceDspRequests.h"
#include "sim/ControlNumber.h"
#include "sim/RecordRequest.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <sstream>

namespace Sim {

using namespace Board::VoiceDsp;

namespace {

std::uint32_t floatBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

RecordRequest const recordRequests[] = {
    {DSPROC_CONFIGURE, "DSPROC_CONFIGURE", 20},
    {DSPROC_ENABLE, "DSPROC_ENABLE", 12},
    {DSPROC_DISABLE, "DSPROC_DISABLE", 12},
};

} // namespace

void DspDevice::closed(Open& open)
{
    for (auto& [ts, t] : timeslots_)
        for (auto const& [bit, by] : t.enabledBy)
            if (by == open.id)
                t.enabled &= ~bit;
}

int DspDevice::request(Open& open, unsigned long code, std::uint8_t* r, std::size_t size, RequestNote&)
{
    if (int refused = checkRequest(recordRequests, code, r, size))
        return refused;
    Timeslot& t = timeslots_[Board::get_be32(r)];
    if (code == DSPROC_CONFIGURE) {
        auto& parameters = t.configured[Board::get_be32(r + 4)];
        std::copy(r + 8, r + 20, parameters.begin());
        return 0;
    }
    std::uint32_t id = Board::get_be32(r + 4);
    std::uint32_t mask = Board::get_be32(r + 8);
    if (code == DSPROC_ENABLE) {
        t.enabled |= mask;
        for (std::uint32_t bit = 1; bit != 0; bit <<= 1)
            if (mask & bit) {
                t.ids[bit] = id;
                t.enabledBy[bit] = open.id;
            }
    } else {
        t.enabled &= ~mask;
    }
    return 0;
}

void DspDevice::describe(unsigned long code, std::uint8_t const* r, std::size_t size, RequestNote& note) const
{
    if (!nameRequest(recordRequests, code, r, size, note))
        return;
    std::ostringstream fields;
    fields << "ts=" << Board::get_be32(r);
    if (code == DSPROC_CONFIGURE) {
        fields << " feature=" << Board::get_be32(r + 4) << " params=" << std::hex;
        for (std::size_t i = 8; i < 20; i += 4)
            fields << (i > 8 ? "." : "") << Board::get_be32(r + i);
    } else {
        fields << " id=" << Board::get_be32(r + 4) << " mask=" << Board::get_be32(r + 8);
    }
    note.fields = fields.str();
}

int DspDevice::request_none(Open&, unsigned long code, RequestNote&)
{
    return code == DSPROC_VERSION ? version_ : -ENOTTY;
}

void DspDevice::describe_none(unsigned long code, RequestNote& note) const
{
    if (code == DSPROC_VERSION)
        note.name = "DSPROC_VERSION";
}

ssize_t DspDevice::read(Open&, void* buffer, std::size_t size)
{
    return events_.read(buffer, size);
}

void DspDevice::queue(unsigned ts, std::uint32_t id, std::uint32_t type, std::uint32_t w0, std::uint32_t w1,
                      std::uint32_t w2)
{
    std::vector<std::uint8_t> record(24);
    std::uint32_t const words[] = {ts, id, type, w0, w1, w2};
    for (std::size_t i = 0; i < 6; ++i)
        Board::put_be32(record.data() + 4 * i, words[i]);
    events_.push(std::move(record));
}

bool DspDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    if (words.empty())
        return false;
    std::string const& verb = words[0];
    std::vector<unsigned long> n(words.size());
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (verb == "bss" && i == 2)
            continue;
        if (!controlNumber(words[i], n[i]))
            return false;
    }
    auto count = words.size();
    auto u32 = [&](std::size_t i) { return static_cast<std::uint32_t>(n[i]); };
    unsigned ts = count > 1 ? u32(1) : 0;
    // The optional trailing id, else the feature's enable id.
    auto id = [&](std::size_t at, std::uint32_t feature) { return count > at ? u32(at) : idOf(ts, feature); };
    if (verb == "version" && count == 2) {
        version_ = static_cast<int>(n[1]);
    } else if (verb == "vad" && (count == 5 || count == 6)) {
        queue(ts, id(5, 1), 1, u32(2), u32(3), u32(4));
    } else if (verb == "sd" && (count == 3 || count == 4)) {
        queue(ts, id(3, 2), 2, u32(2), 0, 0);
    } else if (verb == "bss" && (count == 3 || count == 4)) {
        float score;
        try {
            score = std::stof(words[2]);
        } catch (...) {
            return false;
        }
        queue(ts, id(3, 16), 16, floatBits(score), 0, 0);
    } else if (verb == "tone" && (count == 5 || count == 6)) {
        queue(ts, id(5, 256), 256, u32(2), u32(3), u32(4));
    } else if (verb == "flags" && (count == 4 || count == 5)) {
        queue(ts, id(4, 0), 512, u32(2), u32(3), 0);
    } else if (verb == "event" && count == 7) {
        queue(ts, u32(2), u32(3), u32(4), u32(5), u32(6));
    } else if (verb == "short" && count == 2 && n[1] < 24) {
        queue_raw(std::vector<std::uint8_t>(n[1], 0));
    } else if (verb == "show" && count == 2) {
        Timeslot& t = timeslots_[ts];
        reply << "enabled=" << t.enabled;
        for (auto const& [bit, enableId] : t.ids)
            reply << ' ' << bit << ":id=" << enableId;
        reply << '\n';
    } else if (verb == "clear" && count == 1) {
        events_.clear();
    } else {
        return false;
    }
    return true;
}

} // namespace Sim
