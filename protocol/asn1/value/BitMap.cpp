#include "protocol/asn1/value/BitMap.h"

#include "protocol/asn1/value/AbstractData.h"

#include <algorithm>

namespace ASN1 {

void BitMap::resize(unsigned n)
{
    bitCount_ = n;
    bytes_.resize((n + 7) / 8, 0);
    if (n % 8 && !bytes_.empty())
        bytes_.back() = static_cast<char>(bytes_.back() & (0xFF00u >> (n % 8)));
}

bool BitMap::any() const
{
    for (unsigned i = 0; i < bitCount_; ++i)
        if ((*this)[i])
            return true;
    return false;
}

void BitMap::clearAll() { std::fill(bytes_.begin(), bytes_.end(), 0); }

int BitMap::compare(BitMap const& other) const
{
    std::size_t n = std::min(bytes_.size(), other.bytes_.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(bytes_[i]);
        unsigned char b = static_cast<unsigned char>(other.bytes_[i]);
        if (a != b) {
            unsigned char differing = a ^ b;
            // The highest differing bit is the first in bit order.
            unsigned char first = 0x80;
            while (!(differing & first))
                first >>= 1;
            return (a & first) ? 1 : -1;
        }
    }
    return compareValues(bitCount_, other.bitCount_);
}

void BitMap::swap(BitMap& other)
{
    std::swap(bitCount_, other.bitCount_);
    bytes_.swap(other.bytes_);
}

} // namespace ASN1
