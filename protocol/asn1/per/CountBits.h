#pragma once

// Bit-width helpers shared by the PER reader and writer.

namespace ASN1 {

// Number of bits of a field that carries `n` different values: 0 for 1, the
// smallest k with 2^k >= n otherwise, and 32 for 0, the size of the whole
// 32-bit range, which wraps to 0.
inline unsigned CountBits(unsigned n)
{
    if (n == 0)
        return 32;
    if (n == 1)
        return 0;
    // One instruction instead of a loop: every constrained number and
    // length of a message asks for its width. n - 1 is not 0 here.
    return 32u - static_cast<unsigned>(__builtin_clz(n - 1));
}

// The upper bound that stands for a length without upper bound.
constexpr unsigned UnboundedLength = 0x7FFFFFFF;

// The largest length the general length form carries (no fragmentation).
constexpr unsigned MaximumGeneralLength = 16383;

} // namespace ASN1
