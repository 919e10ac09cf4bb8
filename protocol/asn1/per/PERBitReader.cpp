#include "protocol/asn1/per/PERBitReader.h"

#include "protocol/asn1/per/CountBits.h"

#include <cstring>

namespace ASN1 {

PERBitReader::PERBitReader(char const* first, char const* last, bool aligned)
    : current_(reinterpret_cast<unsigned char const*>(first)),
      end_(reinterpret_cast<unsigned char const*>(last < first ? first : last)),
      bitsLeft_(8),
      aligned_(aligned)
{
}

// Written so that no product or sum can overflow on a 32-bit size_t.
bool PERBitReader::hasBits(unsigned count) const
{
    if (count == 0)
        return true;
    std::size_t const octets = static_cast<std::size_t>(end_ - current_);
    if (octets == 0)
        return false;
    if (count <= bitsLeft_)
        return true;
    return (count - bitsLeft_ + 7) / 8 <= octets - 1;
}

// The caller has checked hasBits(count) and count <= 32. The rest of the
// current octet, then whole octets, then the head of the next one; the
// total is at most 32 bits, so the shifts stay within `unsigned`.
unsigned PERBitReader::readBits(unsigned count)
{
    // Most fields (presence maps, small numbers, choice indexes) lie within
    // the current octet.
    if (count < bitsLeft_) {
        bitsLeft_ -= count;
        return (static_cast<unsigned>(*current_) >> bitsLeft_) & ((1u << count) - 1);
    }
    // Away from the end of the input: one word read instead of a loop over
    // octets.
    if (end_ - current_ >= 8)
        return readFromWord(count);
    unsigned value = static_cast<unsigned>(*current_++) & ((1u << bitsLeft_) - 1);
    count -= bitsLeft_;
    while (count >= 8) {
        value = (value << 8) | *current_++;
        count -= 8;
    }
    bitsLeft_ = 8 - count;
    if (count > 0)
        value = (value << count) | (static_cast<unsigned>(*current_) >> bitsLeft_);
    return value;
}

bool PERBitReader::decodeMultiBitAcross(unsigned count, unsigned& out)
{
    if (count > 32 || !hasBits(count))
        return false;
    // A field of no bits reads nothing, not even at the end of the input
    // (a normally small number of zero octets, for instance).
    if (count == 0) {
        out = 0;
        return true;
    }
    out = readBits(count);
    return true;
}

bool PERBitReader::decodeLongBitMap(char* bytes, std::size_t size, unsigned count)
{
    if (size < (static_cast<std::size_t>(count) + 7) / 8 || !hasBits(count))
        return false;
    std::size_t index = 0;
    while (count >= 8) {
        bytes[index++] = static_cast<char>(readBits(8));
        count -= 8;
    }
    if (count > 0)
        bytes[index] = static_cast<char>(readBits(count) << (8 - count));
    return true;
}

unsigned PERBitReader::decodeBlock(char* destination, unsigned count)
{
    if (count == 0) // the writer neither aligns nor writes for an empty block
        return 0;
    byteAlign();
    std::size_t const available = static_cast<std::size_t>(end_ - current_);
    unsigned const copied = count > available ? static_cast<unsigned>(available) : count;
    if (copied > 0)
        std::memcpy(destination, current_, copied);
    current_ += copied;
    return copied;
}

// A range of more than 255 values in the ALIGNED variant: one or two
// whole octets, or a length and that many octets.
int PERBitReader::decodeAlignedUnsigned(unsigned lb, unsigned range, unsigned& out)
{
    unsigned const bits = CountBits(range + 1);
    unsigned width = 16;
    if (bits <= 8) {
        width = 8;
    } else if (bits > 16) {
        unsigned octets = 0;
        if (decodeLength(1, (bits + 7) / 8, octets) != 0)
            return -1;
        width = 8 * octets; // at most 32: the count is a 2-bit field plus 1
    }
    byteAlign();
    unsigned field = 0;
    if (!decodeMultiBit(width, field))
        return -1;
    out = lb + field;
    return 0;
}

bool PERBitReader::decodeSmallUnsigned(unsigned& out)
{
    int const large = decodeSingleBit();
    if (large < 0)
        return false;
    if (large == 0)
        return decodeMultiBit(6, out);
    unsigned octets = 0;
    if (decodeGeneralLength(octets) != 0 || octets > 4)
        return false;
    byteAlign();
    return decodeMultiBit(8 * octets, out);
}

// The general forms that the inline reader leaves (it has aligned): two
// octets, or an error at the end of the input or for the fragmented form.
int PERBitReader::decodeLongGeneralLength(unsigned& out)
{
    if (current_ == end_)
        return -1;
    unsigned const first = *current_;
    if ((first & 0x40) != 0) // fragmented form, not supported
        return -1;
    if (end_ - current_ < 2)
        return -1;
    out = ((first & 0x3F) << 8) | current_[1];
    current_ += 2;
    return 0;
}

int PERBitReader::decodeConstrainedLength(int kind, unsigned lb, unsigned ub, unsigned& out)
{
    if (kind == 3) { // a bit 1: the size lies outside lb..ub
        int const outside = decodeSingleBit();
        if (outside < 0)
            return -1;
        if (outside == 1)
            return decodeLength(0, UnboundedLength, out);
        return decodeLength(lb, ub, out);
    }
    if (kind == 0)
        return decodeLength(0, UnboundedLength, out);
    return decodeLength(lb, ub, out);
}

unsigned long long PERBitReader::getBitsLeft() const
{
    if (current_ == end_)
        return 0;
    return static_cast<unsigned long long>(end_ - current_ - 1) * 8 + bitsLeft_;
}

std::size_t PERBitReader::octetsLeftAfterAlign() const
{
    std::size_t const octets = static_cast<std::size_t>(end_ - current_);
    return bitsLeft_ == 8 ? octets : octets - 1;
}

bool PERBitReader::skipOctets(unsigned count)
{
    if (count > octetsLeftAfterAlign())
        return false;
    byteAlign();
    current_ += count;
    return true;
}

bool PERBitReader::openWindow(unsigned length, Window& window)
{
    if (length > octetsLeftAfterAlign())
        return false;
    byteAlign();
    window.outerEnd = reinterpret_cast<char const*>(end_);
    window.end = reinterpret_cast<char const*>(current_ + length);
    window.outerAligned = aligned_;
    end_ = current_ + length;
    aligned_ = true;
    return true;
}

void PERBitReader::closeWindow(Window const& window)
{
    current_ = reinterpret_cast<unsigned char const*>(window.end);
    end_ = reinterpret_cast<unsigned char const*>(window.outerEnd);
    bitsLeft_ = 8;
    aligned_ = window.outerAligned;
}

} // namespace ASN1
