#pragma once
// A counted string of bits, bit i at bit 7 - (i mod 8) of byte i/8: the
// presence maps of a SEQUENCE and the contents of a BIT STRING. Bits at or
// beyond the count read as 0 and cannot be set.
#include "protocol/asn1/value/BitBytes.h"

namespace ASN1 {

class BitMap {
public:
    // Small maps in place (see BitBytes.h): every SEQUENCE with OPTIONAL
    // fields has a presence map, made and dropped with each message.
    typedef BitBytes Bytes;

    BitMap() = default;
    // n bits, all 0.
    explicit BitMap(unsigned n) : bitCount_(n), bytes_((static_cast<std::size_t>(n) + 7) / 8) {}

    unsigned size() const { return bitCount_; }
    // Sets the count to n and the bytes to ceil(n/8); new bits are 0.
    void resize(unsigned n);
    // Inline, as the coders ask for every OPTIONAL field's bit.
    bool operator[](unsigned i) const { return holds(i) && (static_cast<unsigned char>(bytes_[i / 8]) & maskOf(i)); }
    void set(unsigned i)
    {
        if (holds(i))
            bytes_[i / 8] = static_cast<char>(bytes_[i / 8] | maskOf(i));
    }
    void clear(unsigned i)
    {
        if (holds(i))
            bytes_[i / 8] = static_cast<char>(bytes_[i / 8] & ~maskOf(i));
    }
    bool any() const;
    void clearAll();

    Bytes& bytes() { return bytes_; }
    Bytes const& bytes() const { return bytes_; }

    // Byte by byte; at the first differing byte only the differing bits
    // count (the map with the 1 sorts after); then the bit counts.
    int compare(BitMap const& other) const;
    void swap(BitMap& other);

private:
    // The byte vector is open to coders, which may leave it shorter than
    // the count; a bit without its byte reads as 0 and cannot be set.
    bool holds(unsigned i) const { return i < bitCount_ && i / 8 < bytes_.size(); }
    static unsigned char maskOf(unsigned i) { return static_cast<unsigned char>(0x80u >> (i % 8)); }

    unsigned bitCount_ = 0;
    Bytes bytes_;
};

} // namespace ASN1
