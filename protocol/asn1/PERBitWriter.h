#pragma once

#include "protocol/asn1/BitBytes.h"

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
    // of a control message.
    void encodeSingleBit(bool bit)
    {
        if (bitsLeft_ == 8)
            output_->push_back(0);
        --bitsLeft_;
        if (bit)
            output_->back() = static_cast<char>(static_cast<unsigned char>(output_->back()) | (1u << bitsLeft_));
        if (bitsLeft_ == 0)
            bitsLeft_ = 8;
    }
    // The low `count` bits of the value (0..32), most significant first.
    void encodeMultiBit(unsigned value, unsigned count)
    {
        // Inline for the usual field that fits in the open octet.
        if (count != 0 && count < bitsLeft_) {
            unsigned const bits = value & ((1u << count) - 1);
            if (bitsLeft_ == 8)
                output_->push_back(0);
            bitsLeft_ -= count;
            output_->back() = static_cast<char>(static_cast<unsigned char>(output_->back()) | (bits << bitsLeft_));
            return;
        }
        encodeMultiBitAcross(value, count);
    }
    // `count` bits of a bit map, bit i at bit 7 - i%8 of byte i/8.
    void encodeBitMap(char const* bytes, unsigned count);
    void encodeBitMap(std::vector<char> const& bytes, unsigned count) { encodeBitMap(bytes.data(), count); }
    void encodeBitMap(BitBytes const& bytes, unsigned count) { encodeBitMap(bytes.data(), count); }
    // Aligns and appends the octets; nothing (no alignment) for 0 octets.
    void encodeBlock(char const* data, unsigned count);
    void encodeByte(unsigned char value);
    // Constrained whole number lb..ub; false when the value is outside.
    bool encodeUnsigned(unsigned value, unsigned lb, unsigned ub);
    // Normally small non-negative whole number.
    void encodeSmallUnsigned(unsigned value);
    // Length determinant lb..ub (ub = UnboundedLength for no upper bound);
    // false outside the bounds, and above 16383 in the general form, which
    // the peer cannot read without fragmentation.
    bool encodeLength(unsigned length, unsigned lb, unsigned ub);
    // Length of a sized object by constraint kind (see PERBitReader).
    bool encodeConstrainedLength(int kind, unsigned lb, unsigned ub, unsigned length);

    void byteAlign() { bitsLeft_ = 8; }

private:
    void encodeMultiBitAcross(unsigned value, unsigned count);

    std::vector<char>* output_;
    unsigned bitsLeft_; // free bits of the last octet, 1..8; 8: the next write starts a new octet
    bool aligned_;
};

} // namespace ASN1
