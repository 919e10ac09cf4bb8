#include "runtime/packet/RtpcMsg.h"

namespace RTPC {

namespace {

constexpr unsigned header_size = 4;
constexpr unsigned char version_2 = 0x80;
// The header counts the packet in 32-bit words less one in 16 bits.
constexpr unsigned max_packet = 0x10000u * 4;

// Packets are whole 32-bit words: a partial last word of room is not used.
unsigned whole_words(unsigned size) { return size & ~3u; }

} // namespace

int Msg::encode(char* buffer, unsigned size) const
{
    size = whole_words(size < max_packet ? size : max_packet);
    if (size < header_size + 4)
        return 0;
    // The body goes first so that a kind that cannot fit leaves the buffer
    // untouched; it never writes past its room and pads itself.
    int const body = encode_body(buffer + header_size, size - header_size);
    if (body <= 0)
        return 0;
    unsigned const total = pad(buffer, header_size + static_cast<unsigned>(body));
    unsigned const words = total / 4 - 1;
    buffer[0] = static_cast<char>(version_2 | (count() & 0x1Fu));
    buffer[1] = static_cast<char>(pt() & 0xFFu);
    buffer[2] = static_cast<char>((words >> 8) & 0xFFu);
    buffer[3] = static_cast<char>(words & 0xFFu);
    return static_cast<int>(total);
}

bool Msg::begin_body(char* buffer, unsigned& size, unsigned least) const
{
    size = whole_words(size);
    if (size < least)
        return false;
    buffer[0] = static_cast<char>((ssrc_ >> 24) & 0xFFu);
    buffer[1] = static_cast<char>((ssrc_ >> 16) & 0xFFu);
    buffer[2] = static_cast<char>((ssrc_ >> 8) & 0xFFu);
    buffer[3] = static_cast<char>(ssrc_ & 0xFFu);
    return true;
}

unsigned Msg::pad(char* buffer, unsigned length)
{
    while (length % 4 != 0)
        buffer[length++] = 0;
    return length;
}

} // namespace RTPC
