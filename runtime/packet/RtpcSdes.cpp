#include "runtime/packet/RtpcSdes.h"

#include <algorithm>
#include <cstring>

namespace RTPC {

int SDES::encode_body(char* buffer, unsigned size) const
{
    // SSRC and at least the null item with its padding.
    if (!begin_body(buffer, size, 8))
        return 0;
    unsigned length = 4;
    for (Item const& item : items_) {
        if (item.type == Item::end)
            continue;
        unsigned const n = std::min<std::size_t>(item.text.size(), max_text);
        // Type, length, text and room left for the null item.
        if (size - length < 2 + n + 1)
            break;
        buffer[length] = static_cast<char>(item.type);
        buffer[length + 1] = static_cast<char>(n);
        std::memcpy(buffer + length + 2, item.text.data(), n);
        length += 2 + n;
    }
    buffer[length++] = 0;
    return static_cast<int>(pad(buffer, length));
}

void SDES::add(Item::Type type, std::string const& text)
{
    items_.push_back(Item{type, text});
}

} // namespace RTPC
