#include "runtime/text/ExtBufInHex.h"
#include "runtime/text/ExtUnsignedInHex.h"
#include "runtime/text/StreamFormatGuard.h"

#include <iomanip>

namespace ext {

void OutBufInHex::Put(std::ostream& out) const
{
    StreamFormatGuard guard(out);
    out << std::hex << std::uppercase << std::right << std::setfill('0');
    for (unsigned char const* p = first_; p < last_; ++p)
        out << std::setw(2) << static_cast<unsigned>(*p) << ' ';
}

void OutUnsignedInHex::Put(std::ostream& out) const
{
    StreamFormatGuard guard(out);
    out << "0x" << std::hex << std::uppercase << std::right << std::setfill('0')
        << std::setw(width_ > 0 ? width_ : 0) << value_;
}

} // namespace ext
