#include "sim/MccDevice.h"

#include "hardware/device/BigEndian.h"
#include "sim/ControlNumber.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <set>

namespace Sim {

using Board::get_be32;
using Board::put_be32;

namespace {

std::string hexText(MccDevice::Frame const& frame)
{
    static char const digits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : frame) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

} // namespace

std::vector<int> MccDevice::channels() const
{
    std::vector<int> numbers;
    for (auto const& [id, channel] : open_)
        if (channel.allocated)
            numbers.push_back(channel.tdm);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

MccDevice::Channel* MccDevice::find(int tdm)
{
    for (auto& [id, channel] : open_)
        if (channel.allocated && channel.tdm == tdm)
            return &channel;
    return nullptr;
}

MccDevice::Channel const* MccDevice::channel(int tdm) const
{
    return const_cast<MccDevice*>(this)->find(tdm);
}

bool MccDevice::inject(int tdm, Frame frame)
{
    Channel* channel = find(tdm);
    if (!channel)
        return false;
    channel->queue.push_back({std::move(frame), 0});
    return true;
}

bool MccDevice::inject_error(int tdm, int errnum)
{
    Channel* channel = find(tdm);
    if (!channel || errnum <= 0)
        return false;
    channel->queue.push_back({{}, errnum});
    return true;
}

bool MccDevice::block(int tdm, bool blocked)
{
    Channel* channel = find(tdm);
    if (!channel)
        return false;
    channel->blocked = blocked;
    return true;
}

int MccDevice::opened(Open& open)
{
    open_[open.id] = Channel{};
    return 0;
}

void MccDevice::closed(Open& open)
{
    open_.erase(open.id);
}

int MccDevice::request(Open& open, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote&)
{
    if (code != Board::Mcc::MCC_ALLOCATE)
        return -ENOTTY;
    if (size < Board::Mcc::allocateSize)
        return -EFAULT;
    Channel& channel = open_[open.id];
    for (unsigned i = 0; i < 5; ++i)
        channel.words[i] = get_be32(record + 4 * i);
    if (channel.allocated)
        return -EBUSY;
    std::set<int> used;
    for (auto const& [id, other] : open_)
        if (other.allocated)
            used.insert(other.tdm);
    int tdm = firstTdm;
    while (used.count(tdm))
        ++tdm;
    channel.allocated = true;
    channel.tdm = tdm;
    return 0;
}

void MccDevice::describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const
{
    if (code != Board::Mcc::MCC_ALLOCATE)
        return;
    note.name = "MCC_ALLOCATE";
    if (size < Board::Mcc::allocateSize)
        return;
    note.fields = "mode=" + std::to_string(get_be32(record)) + " words=" + std::to_string(get_be32(record + 4)) + "," +
                  std::to_string(get_be32(record + 8)) + "," + std::to_string(get_be32(record + 12)) + "," +
                  std::to_string(get_be32(record + 16));
}

int MccDevice::request_none(Open& open, unsigned long code, RequestNote&)
{
    if (code != Board::Mcc::MCC_TIMESLOT)
        return -ENOTTY;
    Channel const& channel = open_[open.id];
    return channel.allocated ? channel.tdm : -EINVAL;
}

void MccDevice::describe_none(unsigned long code, RequestNote& note) const
{
    if (code == Board::Mcc::MCC_TIMESLOT)
        note.name = "MCC_TIMESLOT";
}

ssize_t MccDevice::read(Open& open, void* buffer, std::size_t size)
{
    Channel& channel = open_[open.id];
    if (channel.queue.empty())
        return -EAGAIN;
    Channel::Item item = std::move(channel.queue.front());
    channel.queue.pop_front();
    if (item.error)
        return -item.error;
    std::size_t n = std::min(size, item.frame.size());
    // An empty frame (a read of 0 bytes) may have no storage to copy from.
    if (n > 0)
        std::memcpy(buffer, item.frame.data(), n);
    return static_cast<ssize_t>(n);
}

ssize_t MccDevice::write(Open& open, void const* buffer, std::size_t size)
{
    Channel& channel = open_[open.id];
    if (!channel.allocated)
        return -EINVAL;
    if (channel.blocked)
        return -EAGAIN;
    auto const* bytes = static_cast<std::uint8_t const*>(buffer);
    channel.sent.emplace_back(bytes, bytes + size);
    return static_cast<ssize_t>(size);
}

bool MccDevice::readable(Open const& open) const
{
    auto found = open_.find(open.id);
    return found != open_.end() && !found->second.queue.empty();
}

bool MccDevice::writable(Open const& open) const
{
    auto found = open_.find(open.id);
    return found == open_.end() || !found->second.blocked;
}

bool MccDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    if (words.empty())
        return false;
    std::string const& verb = words[0];
    if (verb == "list" && words.size() == 1) {
        for (int tdm : channels()) {
            Channel const& c = *channel(tdm);
            reply << "tdm=" << tdm << " mode=" << c.words[0] << " sent=" << c.sent.size()
                  << " queued=" << c.queue.size() << " blocked=" << c.blocked << '\n';
        }
        return true;
    }
    unsigned long tdm = 0;
    if (words.size() < 2 || !controlNumber(words[1], tdm))
        return false;
    if (verb == "inject" && words.size() >= 3) {
        Frame frame;
        for (std::size_t i = 2; i < words.size(); ++i) {
            unsigned long byte = 0;
            if (!controlNumber("0x" + words[i], byte) || byte > 255)
                return false;
            frame.push_back(static_cast<std::uint8_t>(byte));
        }
        return inject(int(tdm), std::move(frame));
    }
    if (verb == "error" && words.size() == 3) {
        unsigned long errnum = 0;
        return controlNumber(words[2], errnum) && errnum < 4096 && inject_error(int(tdm), int(errnum));
    }
    if ((verb == "block" || verb == "unblock") && words.size() == 2)
        return block(int(tdm), verb == "block");
    if (verb == "sent" && words.size() == 2) {
        Channel const* c = channel(int(tdm));
        if (!c)
            return false;
        for (Frame const& frame : c->sent)
            reply << hexText(frame) << '\n';
        return true;
    }
    return false;
}

} // namespace Sim
