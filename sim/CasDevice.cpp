#include "sim/CasDevice.h"

#include "hardware/device/BigEndian.h"
#include "sim/ControlNumber.h"
#include "sim/RecordRequest.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

namespace Sim {

using Board::get_be32;
using Board::put_be32;

namespace {

std::string channelFields(std::uint8_t const* record)
{
    return "trunk=" + std::to_string(get_be32(record)) + " timeslot=" + std::to_string(get_be32(record + 4));
}

// A longer record is taken, as the driver copies only what it needs.
RecordRequest const recordRequests[] = {
    {Board::Cas::SET_BITS, "set", Board::Cas::bitsSize},
    {Board::Cas::GET_BITS, "get", Board::Cas::bitsSize},
    {Board::Cas::CONFIGURE, "configure", Board::Cas::configureSize},
};

bool closing(std::uint8_t const* configureRecord)
{
    return get_be32(configureRecord + 12) == 1;
}

} // namespace

CasDevice::Channel* CasDevice::at(std::uint8_t const* record)
{
    std::uint32_t trunk = get_be32(record);
    std::uint32_t timeslot = get_be32(record + 4);
    if (trunk >= trunks || timeslot >= timeslots)
        return nullptr;
    return &channels_[trunk][timeslot];
}

bool CasDevice::receive(unsigned trunk, unsigned timeslot, unsigned bits)
{
    if (trunk >= trunks || timeslot >= timeslots)
        return false;
    Channel& channel = channels_[trunk][timeslot];
    channel.rx = static_cast<std::uint8_t>(bits & 15);
    std::vector<std::uint8_t> record(recordSize, 0);
    put_be32(record.data(), trunk);
    put_be32(record.data() + 4, timeslot);
    record[8] = channel.rx;
    record[9] = channel.tx;
    events_.push(std::move(record));
    return true;
}

void CasDevice::queue_short(std::size_t size)
{
    events_.push(std::vector<std::uint8_t>(std::min(size, recordSize - 1), 0x5A));
}

void CasDevice::closed(Open& open)
{
    for (int& by : openedBy_)
        if (by == open.id)
            by = 0;
}

int CasDevice::request_value(Open& open, unsigned long code, unsigned long value, RequestNote&)
{
    if (code != Board::Cas::OPEN_TRUNK && code != Board::Cas::CLOSE_TRUNK)
        return -ENOTTY;
    if (value >= trunks)
        return -EINVAL;
    openedBy_[value] = code == Board::Cas::OPEN_TRUNK ? open.id : 0;
    return 0;
}

void CasDevice::describe_value(unsigned long code, unsigned long value, RequestNote& note) const
{
    if (code != Board::Cas::OPEN_TRUNK && code != Board::Cas::CLOSE_TRUNK)
        return;
    note.name = code == Board::Cas::OPEN_TRUNK ? "open-trunk" : "close-trunk";
    note.fields = "trunk=" + std::to_string(value);
}

int CasDevice::request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote&)
{
    RecordRequest const* known = findRequest(recordRequests, code);
    if (!known)
        return -ENOTTY;
    if (size < known->size)
        return -EFAULT;
    Channel* channel = at(record);
    if (!channel || !trunk_open(get_be32(record)))
        return -EINVAL;
    if (code == Board::Cas::SET_BITS) {
        channel->tx = record[9] & 15;
    } else if (code == Board::Cas::GET_BITS) {
        record[8] = channel->rx;
        record[9] = channel->tx;
    } else {
        channel->configured = !closing(record);
        channel->code = record[9] & 15;
    }
    return 0;
}

void CasDevice::describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const
{
    if (!nameRequest(recordRequests, code, record, size, note))
        return;
    note.fields = channelFields(record);
    if (code == Board::Cas::SET_BITS)
        note.fields += " value=" + std::to_string(record[9]);
    else if (code == Board::Cas::CONFIGURE)
        note.fields += " code=" + std::to_string(record[9]) + (closing(record) ? " close" : " open");
}

ssize_t CasDevice::read(Open&, void* buffer, std::size_t size)
{
    return events_.read(buffer, size);
}

bool CasDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    std::vector<unsigned long> values;
    if (words.empty() || !controlNumbers(words, 1, values))
        return false;
    auto inRange = [&] { return values[0] < trunks && values[1] < timeslots; };
    if (words[0] == "rx" && values.size() == 3 && inRange())
        return receive(unsigned(values[0]), unsigned(values[1]), unsigned(values[2]));
    if (words[0] == "short" && values.size() == 1 && values[0] < recordSize) {
        queue_short(std::size_t(values[0]));
        return true;
    }
    if (words[0] == "show" && values.size() == 2 && inRange()) {
        Channel const& c = channels_[values[0]][values[1]];
        reply << "open=" << trunk_open(unsigned(values[0])) << " configured=" << c.configured << " code=" << int(c.code)
              << " rx=" << int(c.rx) << " tx=" << int(c.tx) << '\n';
        return true;
    }
    return false;
}

} // namespace Sim
