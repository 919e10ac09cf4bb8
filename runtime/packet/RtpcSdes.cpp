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
    // Items only when at least two words remain after the SSRC.
    bool const roomForItems = size - length >= 8;
    for (auto item = items_.begin(); roomForItems && item != items_.end(); ++item) {
        if (item->type == Item::end)
            continue;
        unsigned const n = std::min<std::size_t>(item->text.size(), max_text);
        // An item goes in while the room left is at least its type, length,
        // text and null item, n + 3, rounded up to whole words: (n + 6)
        // rounded down. The room being whole words, the null item and the
        // padding after the last item written always fit in it.
        if (size - length < ((n + 6) & ~3u))
            break;
        buffer[length] = static_cast<char>(item->type);
        buffer[length + 1] = static_cast<char>(n);
        std::memcpy(buffer + length + 2, item->text.data(), n);
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
