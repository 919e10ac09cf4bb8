#pragma once
// RTCP source description (SDES): one chunk for the message's own SSRC
// carrying its items (canonical name, tool, ...) in the order added. The
// items that fit the room are written in order; the chunk always ends with
// its null item, so a receiver never reads past it.
#include "runtime/packet/RtpcMsg.h"

#include <list>
#include <string>

namespace RTPC {

class SDES : public Msg {
public:
    struct Item {
        // The SDES item type numbers; end (0) only terminates a chunk and
        // is never written as an item.
        enum Type { end = 0, cname = 1, name = 2, email = 3, phone = 4, loc = 5, tool = 6, note = 7, priv = 8 };

        Type type;
        std::string text;
    };

    explicit SDES(std::uint32_t ssrc) : Msg(ssrc) {}

    unsigned pt() const override { return 202; }
    // One chunk, whatever the number of items.
    unsigned count() const override { return 1; }
    // The SSRC; when at least 8 bytes remain after it, the items in order
    // (a text cut to 255 bytes), stopping before the first one for which
    // the room left is below its text length + 6 rounded down to whole
    // words; then the null item and zero padding. Needs 8 bytes.
    int encode_body(char* buffer, unsigned size) const override;

    void add(Item::Type type, std::string const& text);
    std::list<Item> const& items() const { return items_; }

private:
    std::list<Item> items_;
};

} // namespace RTPC
