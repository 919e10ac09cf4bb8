#include "sim/HalDevice.h"

#include "hardware/device/BigEndian.h"
#include "sim/RecordRequest.h"

#include <cerrno>
#include <ostream>
#include <sstream>

namespace Sim {

namespace {

// The driver's request numbers, written out here on their own so that a
// wrong number in a front end shows up as an unknown request in the log.
enum : unsigned long {
    muxConnect = 0x80084d02,
    muxDisable = 0x80044d03,
    muxConstant = 0xc0084d04,
    muxRead = 0xc0084d05,
    clockSelect = 0x80044301,
    spiRead = 0xc0034203,
    spiWrite = 0xc0034204,
};

RecordRequest const recordRequests[] = {
    {muxConnect, "connect", 8},
    {muxDisable, "disable", 4},
    {muxConstant, "constant", 8},
    {muxRead, "read", 8},
    {clockSelect, "clock-select", 4},
    {spiRead, "spi-read", 3},
    {spiWrite, "spi-write", 3},
};

// A loop of connections (a -> b -> a) reads as the idle bus.
unsigned const maxFollow = 16;

std::string hexByte(unsigned byte)
{
    static char const digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    text += digits[(byte >> 4) & 15];
    text += digits[byte & 15];
    return text;
}

bool number(std::string const& text, long low, long high, long& value)
{
    try {
        std::size_t used = 0;
        value = std::stol(text, &used, 0);
        return used == text.size() && value >= low && value <= high;
    } catch (...) {
        return false;
    }
}

} // namespace

HalDevice::HalDevice()
{
    for (auto& registers : spi_)
        registers[spiStatusRegister] = spiStartStatus;
}

int HalDevice::request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note)
{
    if (int refused = checkRequest(recordRequests, code, record, size))
        return refused;
    switch (code) {
    case clockSelect:
        clockSource_ = static_cast<std::int32_t>(Board::get_be32(record));
        return 0;
    case spiRead:
    case spiWrite:
        return spiRequest(code, record, note);
    default:
        return crossConnect(code, record, note);
    }
}

void HalDevice::describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const
{
    if (!nameRequest(recordRequests, code, record, size, note))
        return;
    if (code == clockSelect) {
        note.fields = "source=" + std::to_string(static_cast<std::int32_t>(Board::get_be32(record)));
    } else if (code == spiRead || code == spiWrite) {
        note.fields = "channel=" + std::to_string(record[0]) + " register=" + std::to_string(record[1]);
        if (code == spiWrite)
            note.fields += " value=" + std::to_string(record[2]);
    } else {
        note.fields = (code == muxRead ? "channel=" : "output=") + std::to_string(Board::get_be32(record));
        if (code == muxConnect)
            note.fields += " source=" + std::to_string(Board::get_be32(record + 4));
        else if (code == muxConstant)
            note.fields += " byte=" + hexByte(Board::get_be32(record + 4) & 0xFF);
    }
}

int HalDevice::crossConnect(unsigned long code, std::uint8_t* record, RequestNote& note)
{
    std::uint32_t ch = Board::get_be32(record);
    std::uint32_t second = code == muxDisable ? 0 : Board::get_be32(record + 4);
    if (ch >= channels || (code == muxConstant && second > 0xFF))
        return -EINVAL;
    switch (code) {
    case muxConnect:
        outputs_[ch] = {Output::connected, second};
        break;
    case muxDisable:
        outputs_[ch] = {Output::off, 0};
        break;
    case muxConstant:
        outputs_[ch] = {Output::constant, second};
        break;
    default: {
        std::uint8_t byte = sample(ch);
        Board::put_be32(record + 4, byte);
        note.fields += " byte=" + hexByte(byte);
        break;
    }
    }
    return 0;
}

int HalDevice::spiRequest(unsigned long code, std::uint8_t* record, RequestNote& note)
{
    unsigned ch = record[0];
    unsigned reg = record[1];
    if (noSpi_)
        return -ENODEV;
    if (ch >= spiChannels)
        return -EINVAL;
    if (code == spiWrite) {
        spi_[ch][reg] = record[2];
        return 0;
    }
    note.fields += " value=" + std::to_string(spi_[ch][reg]);
    return spi_[ch][reg];
}

std::uint8_t HalDevice::sample(std::uint32_t ch) const
{
    return sample(ch, 0);
}

std::uint8_t HalDevice::sample(std::uint32_t ch, unsigned depth) const
{
    if (auto stuck = stuck_.find(ch); stuck != stuck_.end())
        return stuck->second;
    if (ch < channels && depth < maxFollow) {
        OutputState const& out = outputs_[ch];
        if (out.kind == Output::constant)
            return static_cast<std::uint8_t>(out.value);
        if (out.kind == Output::connected)
            return sample(out.value, depth + 1);
    }
    if (auto driven = driven_.find(ch); driven != driven_.end())
        return driven->second;
    return 0xFF;
}

void HalDevice::show(std::uint32_t ch, std::ostream& reply) const
{
    reply << "channel=" << ch << " output=";
    switch (outputs_[ch].kind) {
    case Output::off:
        reply << "off";
        break;
    case Output::constant:
        reply << "constant " << hexByte(outputs_[ch].value);
        break;
    case Output::connected:
        reply << "source " << outputs_[ch].value;
        break;
    }
    reply << " read=" << hexByte(sample(ch)) << '\n';
}

bool HalDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    long ch = 0;
    long value = 0;
    std::size_t const n = words.size();
    if (n == 0)
        return false;
    std::string const& verb = words[0];
    bool const channel = n >= 2 && number(words[1], 0, channels - 1, ch);
    bool const spiChannel = channel && ch < long(spiChannels);
    bool const byte = n == 3 && number(words[2], 0, 255, value);
    auto const c = static_cast<std::uint32_t>(ch);
    auto const b = static_cast<std::uint8_t>(value);
    if (verb == "drive" && channel && byte)
        drive(c, b);
    else if (verb == "undrive" && n == 2 && channel)
        undrive(c);
    else if (verb == "stuck" && channel && byte)
        stick(c, b);
    else if (verb == "unstuck" && n == 2 && channel)
        unstick(c);
    else if (verb == "show" && n == 2 && channel)
        show(c, reply);
    else if (verb == "clock" && n == 1)
        reply << "clock source=" << clockSource_ << '\n';
    else if (verb == "spi-status" && spiChannel && byte)
        spi_[c][spiStatusRegister] = b;
    else if (verb == "spi-show" && n == 2 && spiChannel) {
        reply << "spi channel=" << c;
        for (unsigned reg = 0; reg < 256; ++reg)
            if (spi_[c][reg] != 0)
                reply << " r" << reg << '=' << unsigned(spi_[c][reg]);
        reply << '\n';
    } else if (verb == "no-spi" && n == 2 && (words[1] == "on" || words[1] == "off"))
        noSpi_ = words[1] == "on";
    else
        return false;
    return true;
}

} // namespace Sim
