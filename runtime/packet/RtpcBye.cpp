#include "runtime/packet/RtpcBye.h"

#include <algorithm>
#include <cstring>

namespace RTPC {

int BYE::encode_body(char* buffer, unsigned size) const
{
    if (!begin_body(buffer, size, 4))
        return 0;
    unsigned length = 4;
    // Room is whole words, so a reason has at least its length byte and
    // three more bytes whenever there is room after the SSRC.
    if (!reason_.empty() && size - length >= 4) {
        unsigned const n = std::min<std::size_t>({reason_.size(), max_text, size - length - 1});
        buffer[length] = static_cast<char>(n);
        std::memcpy(buffer + length + 1, reason_.data(), n);
        length = pad(buffer, length + 1 + n);
    }
    return static_cast<int>(length);
}

} // namespace RTPC
