#pragma once

#include "protocol/asn1/per/CountBits.h"
#include "protocol/asn1/value/BitBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ASN1 {

// Reads the bit-level fields of a PER encoding: single bits, bit fields,
// constrained whole numbers, normally small numbers, length determinants,
// bit maps and octet blocks. The reader does not own the input; it keeps a
// position (octet and free bits in it) that only moves forward, and never
// reads at or past the end it was given. An open type is read inside a
// window that narrows the end to the open type's own octets.
//
// The low-level readers return 0 for success and -1 for failure where they
// return int, true for success where they return bool.
class PERBitReader {
public:
    PERBitReader(char const* first, char const* last, bool aligned);

    bool aligned() const { return aligned_; }

    // One bit (0 or 1), or -1 when no bit is left.
    // Inline: presence, extension and choice bits are most of the fields
    // of a control message.
    int decodeSingleBit()
    {
        if (current_ == end_)
            return -1;
        --bitsLeft_;
        int const bit = (*current_ >> bitsLeft_) & 1;
        // Without a branch: whether this was an octet's last bit follows the
        // data, and a mispredicted jump costs more than the arithmetic.
        unsigned const octetDone = bitsLeft_ == 0;
        current_ += octetDone;
        bitsLeft_ += 8 * octetDone;
        return bit;
    }
    // A field of `count` bits (0..32), most significant first. False when
    // the count is above 32 or the bits are not all there; nothing is read then.
    bool decodeMultiBit(unsigned count, unsigned& out)
    {
        // Away from the end of the input every field of 1 to 32 bits (after
        // at most 7 bits of its first octet already read) lies within the
        // next eight octets: one word read and two shifts, the same steps
        // whether or not the field crosses an octet boundary, so the
        // processor has no data-dependent jump to mispredict.
        if (count - 1 < 32 && end_ - current_ >= 8) {
            out = readFromWord(count);
            return true;
        }
        if (count < bitsLeft_ && current_ != end_) {
            bitsLeft_ -= count;
            out = (static_cast<unsigned>(*current_) >> bitsLeft_) & ((1u << count) - 1);
            return true;
        }
        return decodeMultiBitAcross(count, out);
    }
    // A bit map of `count` bits into `bytes` (bit i at bit 7 - i%8 of byte
    // i/8); `size` (the bytes there are) must be at least ceil(count/8).
    bool decodeBitMap(char* bytes, std::size_t size, unsigned count)
    {
        // Inline for maps of one octet or less: nearly every presence map.
        if (count > 8 || size == 0)
            return decodeLongBitMap(bytes, size, count);
        if (count == 0)
            return true;
        unsigned field = 0;
        if (!decodeMultiBit(count, field))
            return false;
        bytes[0] = static_cast<char>(field << (8 - count));
        return true;
    }
    bool decodeBitMap(std::vector<char>& bytes, unsigned count) { return decodeBitMap(bytes.data(), bytes.size(), count); }
    bool decodeBitMap(BitBytes& bytes, unsigned count) { return decodeBitMap(bytes.data(), bytes.size(), count); }
    // Aligns, then copies min(count, octets left) octets; returns the copied
    // count. An empty block neither aligns nor reads.
    unsigned decodeBlock(char* destination, unsigned count);
    // Constrained whole number lb..ub; the value is not checked against ub.
    // Inline for the usual bit field (choice indexes, enumerations, small
    // ranges): the octet-aligned forms of wider ranges are out of line.
    int decodeUnsigned(unsigned lb, unsigned ub, unsigned& out)
    {
        unsigned const range = ub - lb;
        if (aligned_ && range > 254)
            return decodeAlignedUnsigned(lb, range, out);
        unsigned field = 0;
        // range + 1 wraps to 0 for the whole 32-bit range: CountBits gives 32.
        if (range != 0 && !decodeMultiBit(CountBits(range + 1), field))
            return -1;
        out = lb + field;
        return 0;
    }
    // Normally small non-negative whole number.
    bool decodeSmallUnsigned(unsigned& out);
    // Length determinant lb..ub; ub = UnboundedLength for no upper bound.
    // Inline for the one-octet general form (the length of every
    // unconstrained INTEGER, string and open type of a control message).
    int decodeLength(unsigned lb, unsigned ub, unsigned& out)
    {
        if (aligned_ ? ub > 65535 : ub == UnboundedLength)
            return decodeGeneralLength(out);
        if (aligned_)
            return decodeUnsigned(lb, ub, out);
        unsigned field = 0;
        if (!decodeMultiBit(CountBits(ub - lb + 1), field))
            return -1;
        out = lb + field;
        return 0;
    }
    // Length of a sized object by constraint kind: 0 none, 1 lower bound
    // only, 2 fixed range, 3 range with an extension marker.
    int decodeConstrainedLength(int kind, unsigned lb, unsigned ub, unsigned& out);

    void byteAlign()
    {
        if (bitsLeft_ != 8) {
            ++current_;
            bitsLeft_ = 8;
        }
    }
    // Bits between the position and the end of the input (or window).
    unsigned long long getBitsLeft() const;
    // Octets from the next octet boundary to the end; what an aligned block can take.
    std::size_t octetsLeftAfterAlign() const;
    // True when no bit is left.
    bool atEnd() const { return current_ == end_; }
    // Aligns and skips `count` octets; false (nothing skipped) when fewer are left.
    bool skipOctets(unsigned count);

    // The reading state outside an open type, restored when it is closed.
    struct Window {
        char const* outerEnd;
        char const* end;
        bool outerAligned;
    };
    // Aligns and narrows the input to the next `length` octets, read in the
    // ALIGNED variant; false (nothing changed) when fewer octets are left.
    bool openWindow(unsigned length, Window& window);
    // Moves to the end of the window, whatever was not read inside it, and
    // restores the outer end and variant.
    void closeWindow(Window const& window);

private:
    // Eight octets as one number, the first octet most significant, on
    // hosts of either byte order: one load, and a byte swap where the
    // host's order is the other one.
    static std::uint64_t bigEndianWord(unsigned char const* p)
    {
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        word = __builtin_bswap64(word);
#elif __BYTE_ORDER__ != __ORDER_BIG_ENDIAN__
#error "unknown byte order"
#endif
        return word;
    }

    // A field of 1 to 32 bits while at least eight octets are left.
    unsigned readFromWord(unsigned count)
    {
        unsigned const skip = 8 - bitsLeft_;
        unsigned const value = static_cast<unsigned>((bigEndianWord(current_) << skip) >> (64 - count));
        unsigned const consumed = skip + count;
        current_ += consumed / 8;
        bitsLeft_ = 8 - consumed % 8;
        return value;
    }

    bool decodeMultiBitAcross(unsigned count, unsigned& out);
    bool decodeLongBitMap(char* bytes, std::size_t size, unsigned count);
    int decodeAlignedUnsigned(unsigned lb, unsigned range, unsigned& out);
    bool hasBits(unsigned count) const;
    unsigned readBits(unsigned count);
    int decodeGeneralLength(unsigned& out)
    {
        byteAlign();
        if (current_ != end_ && (*current_ & 0x80) == 0) {
            out = *current_++;
            return 0;
        }
        return decodeLongGeneralLength(out);
    }
    int decodeLongGeneralLength(unsigned& out);

    unsigned char const* current_;
    unsigned char const* end_;
    unsigned bitsLeft_; // free bits of the current octet, 1..8; 8 at a boundary
    bool aligned_;
};

} // namespace ASN1
