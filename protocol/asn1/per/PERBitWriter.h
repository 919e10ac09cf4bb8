#pragma once

#include "protocol/asn1/per/CountBits.h"
#include "protocol/asn1/value/BitBytes.h"

#include <vector>

namespace ASN1 {

// Writes the bit-level fields of a PER encoding into a byte vector that the
// caller owns: the mirror of PERBitReader. Aligning only marks the next
// write to start a new octet, so an encoding never ends in an empty padding
// octet. The operations that return bool write nothing when they fail,
// except where a caller has already written the fields before them.
class PERBitWriter {
public:
    PERBitWriter(std::vector<char>& output, bool aligned);

    bool aligned() const { return aligned_; }
    std::vector<char>& output() { return *output_; }

    // Inline: presence, extension and choice bits are most of the fields
    // of a control message. The bit is ORed in whatever its value, so a
    // random presence pattern costs no mispredicted branch.
    void encodeSingleBit(bool bit)
    {
        if (bitsLeft_ == 8) {
            output_->push_back(static_cast<char>(static_cast<unsigned>(bit) << 7));
            bitsLeft_ = 7;
            return;
        }
        --bitsLeft_;
        orIntoLastOctet(static_cast<unsigned>(bit) << bitsLeft_);
        if (bitsLeft_ == 0)
            bitsLeft_ = 8;
    }
    // The low `count` bits of the value (0..32), most significant first.
    void encodeMultiBit(unsigned value, unsigned count)
    {
        // Inline for the usual field that fits in the open octet, or that
        // starts a new one and leaves room in it.
        if (count < bitsLeft_ && count != 0) {
            unsigned const bits = value & ((1u << count) - 1);
            if (bitsLeft_ == 8) {
                output_->push_back(static_cast<char>(bits << (8 - count)));
                bitsLeft_ = 8 - count;
                return;
            }
            bitsLeft_ -= count;
            orIntoLastOctet(bits << bitsLeft_);
            return;
        }
        encodeMultiBitAcross(value, count);
    }
    // `count` bits of a bit map, bit i at bit 7 - i%8 of byte i/8.
    void encodeBitMap(char const* bytes, unsigned count)
    {
        // Inline for a map of one octet or less: the presence map of
        // nearly every SEQUENCE.
        if (count <= 8) {
            if (count != 0)
                encodeMultiBit(static_cast<unsigned char>(bytes[0]) >> (8 - count), count);
            return;
        }
        encodeLongBitMap(bytes, count);
    }
    void encodeBitMap(std::vector<char> const& bytes, unsigned count) { encodeBitMap(bytes.data(), count); }
    void encodeBitMap(BitBytes const& bytes, unsigned count) { encodeBitMap(bytes.data(), count); }
    // Aligns and appends the octets; nothing (no alignment) for 0 octets.
    void encodeBlock(char const* data, unsigned count);
    void encodeByte(unsigned char value);
    // Constrained whole number lb..ub; false when the value is outside.
    bool encodeUnsigned(unsigned value, unsigned lb, unsigned ub)
    {
        unsigned const offset = value - lb;
        unsigned const range = ub - lb;
        if (offset > range)
            return false;
        // Inline for the bit field of a small range (choice indexes,
        // enumerations, small numbers), which needs no alignment.
        if (range <= 254 || !aligned_) {
            encodeMultiBit(offset, CountBits(range + 1));
            return true;
        }
        return encodeAlignedUnsigned(offset, range);
    }
    // Normally small non-negative whole number.
    void encodeSmallUnsigned(unsigned value);
    // Length determinant lb..ub (ub = UnboundedLength for no upper bound);
    // false outside the bounds, and above 16383 in the general form, which
    // the peer cannot read without fragmentation.
    bool encodeLength(unsigned length, unsigned lb, unsigned ub)
    {
        // Inline for the one-octet general form: the length of nearly
        // every string and unconstrained number.
        if (length <= 127 && length >= lb && ub > 65535 && (aligned_ || ub == UnboundedLength)) {
            byteAlign();
            encodeOctets(length, 1);
            return true;
        }
        return encodeOtherLength(length, lb, ub);
    }
    // Length of a sized object by constraint kind (see PERBitReader).
    bool encodeConstrainedLength(int kind, unsigned lb, unsigned ub, unsigned length);

    void byteAlign() { bitsLeft_ = 8; }

protected:
    // Appends the low `count` octets of the value (0..5), most significant
    // first, as new octets: the caller has aligned. The octets are cut from
    // the number by shifts, so the order is the same on every host; the
    // cases fall through so that each shift is a constant.
    void encodeOctets(unsigned long long value, unsigned count)
    {
        std::vector<char>& out = *output_;
        switch (count) {
        case 5:
            out.push_back(static_cast<char>(value >> 32));
            [[fallthrough]];
        case 4:
            out.push_back(static_cast<char>(value >> 24));
            [[fallthrough]];
        case 3:
            out.push_back(static_cast<char>(value >> 16));
            [[fallthrough]];
        case 2:
            out.push_back(static_cast<char>(value >> 8));
            [[fallthrough]];
        case 1:
            out.push_back(static_cast<char>(value));
            break;
        default:
            break;
        }
    }

private:
    void orIntoLastOctet(unsigned bits)
    {
        char& last = output_->back();
        last = static_cast<char>(static_cast<unsigned char>(last) | bits);
    }
    void encodeMultiBitAcross(unsigned value, unsigned count);
    void encodeLongBitMap(char const* bytes, unsigned count);
    bool encodeAlignedUnsigned(unsigned offset, unsigned range);
    bool encodeOtherLength(unsigned length, unsigned lb, unsigned ub);

    std::vector<char>* output_;
    unsigned bitsLeft_; // free bits of the last octet, 1..8; 8: the next write starts a new octet
    bool aligned_;
};

} // namespace ASN1
