#include "protocol/asn1/per/PERBitWriter.h"

namespace ASN1 {

PERBitWriter::PERBitWriter(std::vector<char>& output, bool aligned)
    : output_(&output), bitsLeft_(8), aligned_(aligned)
{
}

// A field that fills the open octet or crosses into new ones. The field is
// left-justified in a 64-bit word behind the bits the open octet already
// holds (at most 7 + 32 bits), and the word is then cut into octets from
// the top: no case per octet boundary.
void PERBitWriter::encodeMultiBitAcross(unsigned value, unsigned count)
{
    if (count == 0)
        return;
    std::vector<char>& out = *output_;
    unsigned const used = 8 - bitsLeft_; // bits of the open octet already written; 0: none open
    // The shift to the top drops the bits of the value above `count`.
    unsigned long long bits = (static_cast<unsigned long long>(value) << (64 - count)) >> used;
    unsigned left = used + count; // bits of `bits` still to write, from the top
    if (used != 0) {
        orIntoLastOctet(static_cast<unsigned>(bits >> 56));
        bits <<= 8;
        left -= 8; // count >= bitsLeft_ here: the open octet is full
    }
    while (left >= 8) {
        out.push_back(static_cast<char>(bits >> 56));
        bits <<= 8;
        left -= 8;
    }
    bitsLeft_ = 8 - left;
    if (left != 0)
        out.push_back(static_cast<char>(bits >> 56));
}

void PERBitWriter::encodeLongBitMap(char const* bytes, unsigned count)
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
    encodeOctets(value, 1);
}

// A range above 255 in the ALIGNED variant: one or two aligned octets up to
// 65536 values, else a length in octets and that many aligned octets.
bool PERBitWriter::encodeAlignedUnsigned(unsigned offset, unsigned range)
{
    unsigned octets = range > 255 ? 2 : 1;
    if (range > 65535) {
        unsigned const bits = CountBits(range + 1);
        octets = offset == 0 ? 1 : (CountBits(offset + 1) + 7) / 8;
        if (!encodeLength(octets, 1, (bits + 7) / 8))
            return false;
    }
    byteAlign();
    encodeOctets(offset, octets);
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
    encodeOctets(value, octets);
}

bool PERBitWriter::encodeOtherLength(unsigned length, unsigned lb, unsigned ub)
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
            encodeOctets(length, 1);
        else
            encodeOctets(0x8000 | length, 2);
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
