#pragma once
// Bytes of a buffer in hexadecimal for log lines and dumps: every byte as two
// upper-case digits followed by a blank ("01 AB "). The helper only points at
// the buffer, which must outlive the output statement. The stream's flags and
// fill are left as they were.
#include <cstddef>
#include <ostream>

namespace ext {

class OutBufInHex {
public:
    OutBufInHex(unsigned char const* first, unsigned char const* last) : first_(first), last_(last) {}
    OutBufInHex(void const* data, std::size_t size)
        : first_(static_cast<unsigned char const*>(data)), last_(first_ + size) {}

    void Put(std::ostream& out) const;

private:
    unsigned char const* first_;
    unsigned char const* last_;
};

inline std::ostream& operator<<(std::ostream& out, OutBufInHex const& hex)
{
    hex.Put(out);
    return out;
}

} // namespace ext
