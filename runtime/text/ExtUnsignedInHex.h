#pragma once
// An unsigned 32-bit value as "0x" and upper-case hexadecimal digits,
// zero-filled to a given number of digits (0: no filling), for example
// 0x001F. The stream's flags and fill are left as they were.
#include <cstdint>
#include <ostream>

namespace ext {

class OutUnsignedInHex {
public:
    explicit OutUnsignedInHex(uint32_t value, int width = 0) : value_(value), width_(width) {}

    void Put(std::ostream& out) const;

private:
    uint32_t value_;
    int width_;
};

inline std::ostream& operator<<(std::ostream& out, OutUnsignedInHex const& hex)
{
    hex.Put(out);
    return out;
}

} // namespace ext
