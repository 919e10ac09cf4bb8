#include "protocol/asn1/PERBitWriter.h"

#include "protocol/asn1/CountBits.h"

namespace ASN1 {

PERBitWriter::PERBitWriter(std::vector<char>& output, bool aligned)
    : output_(&output), bitsLeft_(8), aligned_(aligned)
{
}

// The free bits of the last octet first, then whole octets, then the rest
// in a new octet: at most one step each, not one per octet boundary.
void PERBitWriter::encodeMultiBitAcross(unsigned value, unsigned count)
{
    if (count == 0)
        return;
    if (count < 32)
        value &= (1u << count) - 1;
    std::vector<char>& out = *output_;
    if (bitsLeft_ != 8) {
        unsigned const take = count < bitsLeft_ ? count : bitsLeft_;
        unsigned const top = value >> (count - take); // count - take <= 31
        out.back() = static_cast<char>(static_cast<unsigned char>(out.back()) | (top << (bitsLeft_ - take)));
        count -= take;
        bitsLeft_ -= take;
        if (bitsLeft_ == 0)
            bitsLeft_ = 8;
        if (count == 0)
            return;
        value &= (1u << count) - 1; // count < 32 after taking at least one bit
    }
    while (count >= 8) {
        count -= 8;
        out.push_back(static_cast<char>(value >> count));
    }
    if (count > 0) {
        out.push_back(static_cast<char>(value << (8 - count)));
        bitsLeft_ = 8 - count;
    }
}

void PERBitWriter::encodeBitMap(char const* bytes, unsigned count)
{
    std::size_t index = 0;
    while (count >= 8) {
        encodeMultiBit(static_cast<unsigned char>(bytes[index++]), 8);
        count -= 8;
    }
    if (count > 0)
        encodeMultiBit(static_cast<unsigned char>(bytes[index]) >> (8 - count), count);
}

void PERBitWriter::encodeBlock(char const* data, unsigned count)
{
    if (count == 0)
        return;
    byteAlign();
    output_->insert(output_->end(), data, data + count);
}

void PERBitWriter::encodeByte(unsigned char value)
{
    byteAlign();
    encodeMultiBit(value, 8);
}

bool PERBitWriter::encodeUnsigned(unsigned value, unsigned lb, unsigned ub)
{
    unsigned const offset = value - lb;
    unsigned const range = ub - lb;
    if (offset > range)
        return false;
    if (range == 0)
        return true;
    unsigned const bits = CountBits(range + 1);
    unsigned width = bits;
    if (aligned_ && range > 254) {
        if (bits > 16) {
            unsigned const octets = offset == 0 ? 1 : (CountBits(offset + 1) + 7) / 8;
            if (!encodeLength(octets, 1, (bits + 7) / 8))
                return false;
            width = 8 * octets;
        } else {
            width = bits > 8 ? 16 : 8;
        }
        byteAlign();
    }
    encodeMultiBit(offset, width);
    return true;
}

void PERBitWriter::encodeSmallUnsigned(unsigned value)
{
    if (value <= 63) {
        encodeMultiBit(value, 7);
        return;
    }
    unsigned const octets = value < 0x100 ? 1 : value < 0x10000 ? 2 : value < 0x1000000 ? 3 : 4;
    encodeSingleBit(true);
    encodeLength(octets, 0, UnboundedLength);
    byteAlign();
    encodeMultiBit(value, 8 * octets);
}

bool PERBitWriter::encodeLength(unsigned length, unsigned lb, unsigned ub)
{
    if (length < lb || length > ub)
        return false;
    if (!aligned_ && ub != UnboundedLength) {
        encodeMultiBit(length - lb, CountBits(ub - lb + 1));
        return true;
    }
    if (ub > 65535) {
        if (length > MaximumGeneralLength)
            return false;
        byteAlign();
        if (length <= 127)
            encodeMultiBit(length, 8);
        else
            encodeMultiBit(0x8000 | length, 16);
        return true;
    }
    return encodeUnsigned(length, lb, ub);
}

bool PERBitWriter::encodeConstrainedLength(int kind, unsigned lb, unsigned ub, unsigned length)
{
    if (kind == 3) {
        bool const outside = length < lb || length > ub;
        encodeSingleBit(outside);
        return outside ? encodeLength(length, 0, UnboundedLength) : encodeLength(length, lb, ub);
    }
    if (kind == 0)
        return encodeLength(length, 0, UnboundedLength);
    return encodeLength(length, lb, ub);
}

} // namespace ASN1
