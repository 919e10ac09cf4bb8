#include "runtime/packet/RtpcBye.h"
#include "runtime/packet/RtpcSdes.h"

#include "support/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr unsigned char canary = 0xEE;
constexpr unsigned slack = 64;

// Encodes msg into a buffer of room bytes followed by a guard area, checks
// that nothing past the room was touched and that the header's length word
// matches the result, and returns the bytes written.
Bytes encoded(RTPC::Msg const& msg, unsigned room)
{
    std::vector<char> buffer(room + slack, static_cast<char>(canary));
    int const n = msg.encode(buffer.data(), room);
    EXPECT_GE(n, 0);
    EXPECT_LE(static_cast<unsigned>(n), room);
    EXPECT_EQ(0, n % 4);
    for (std::size_t i = static_cast<std::size_t>(n); i < buffer.size(); ++i) {
        if (static_cast<unsigned char>(buffer[i]) != canary) {
            ADD_FAILURE() << "byte " << i << " written past the packet (room " << room << ")";
            break;
        }
    }
    Bytes out(buffer.begin(), buffer.begin() + n);
    if (n >= 4) {
        EXPECT_EQ(static_cast<unsigned>(n / 4 - 1), (out[2] << 8u) | out[3]) << "length word";
    }
    return out;
}

RTPC::SDES sdes(std::vector<std::pair<RTPC::SDES::Item::Type, std::string>> const& items)
{
    RTPC::SDES m(0x01020304);
    for (auto const& i : items)
        m.add(i.first, i.second);
    return m;
}

TEST(Rtcp, PacketTypeAndCountDoNotDependOnTheContents)
{
    RTPC::SDES empty(1), three = sdes({{RTPC::SDES::Item::cname, "a"}, {RTPC::SDES::Item::tool, "b"}, {RTPC::SDES::Item::note, "c"}});
    RTPC::BYE bye(1), byeWithReason(1, "gone");
    for (RTPC::Msg const* m : {static_cast<RTPC::Msg const*>(&empty), static_cast<RTPC::Msg const*>(&three)})
        EXPECT_EQ((std::pair<unsigned, unsigned>{202, 1}), std::make_pair(m->pt(), m->count()));
    for (RTPC::Msg const* m : {&bye, &byeWithReason})
        EXPECT_EQ((std::pair<unsigned, unsigned>{203, 1}), std::make_pair(m->pt(), m->count()));
}

TEST(Rtcp, PacketsAreWrittenByteForByteInTheRoomThereIs)
{
    using T = RTPC::SDES::Item;
    RTPC::SDES noItems = sdes({});
    RTPC::SDES cname = sdes({{T::cname, "abc"}});
    RTPC::SDES wordAligned = sdes({{T::cname, "ab"}});
    RTPC::SDES two = sdes({{T::cname, "a"}, {T::tool, "xy"}});
    RTPC::SDES emptyText = sdes({{T::note, ""}});
    RTPC::SDES endItem = sdes({{T::end, "zz"}, {T::name, "n"}});
    // The first item does not fit where the second would: writing stops at
    // the first.
    RTPC::SDES longFirst = sdes({{T::cname, "abcdefghij"}, {T::tool, "x"}});
    RTPC::SDES oneChar = sdes({{T::cname, "a"}});
    RTPC::BYE bye(0xA1B2C3D4);
    RTPC::BYE byeThree(0xA1B2C3D4, "bye");
    RTPC::BYE byeTwo(0xA1B2C3D4, "ab");
    RTPC::BYE byeLong(0xA1B2C3D4, "abcdefgh");

    struct Case { char const* what; RTPC::Msg const& msg; unsigned room; char const* hex; };
    Case const cases[] = {
        {"SDES without items: the chunk is SSRC and null item", noItems, 64, "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"SDES with one item", cname, 64, "81 ca 00 03 01 02 03 04 01 03 61 62 63 00 00 00"},
        {"an item ending on a word still gets a null item", wordAligned, 64,
         "81 ca 00 03 01 02 03 04 01 02 61 62 00 00 00 00"},
        {"items in the order added", two, 64, "81 ca 00 03 01 02 03 04 01 01 61 06 02 78 79 00"},
        {"an item with an empty text", emptyText, 64, "81 ca 00 02 01 02 03 04 07 00 00 00"},
        {"an end item is never written as an item", endItem, 64, "81 ca 00 02 01 02 03 04 02 01 6e 00"},
        {"BYE without a reason", bye, 64, "81 cb 00 01 a1 b2 c3 d4"},
        {"BYE with a reason", byeThree, 64, "81 cb 00 02 a1 b2 c3 d4 03 62 79 65"},
        {"BYE reason padded", byeTwo, 64, "81 cb 00 02 a1 b2 c3 d4 02 61 62 00"},

        {"no room", bye, 0, ""},
        {"below a header and SSRC", bye, 7, ""},
        {"BYE in 8", bye, 8, "81 cb 00 01 a1 b2 c3 d4"},
        {"SDES needs its null item word", noItems, 8, ""},
        {"SDES in 11 is rounded down to 8", noItems, 11, ""},
        {"SDES in 12", noItems, 12, "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"an item that does not fit is left out", cname, 12, "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"room 15 is used as 12", cname, 15, "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"the item fits exactly", cname, 16, "81 ca 00 03 01 02 03 04 01 03 61 62 63 00 00 00"},
        {"no room for the null after a word-aligned item", wordAligned, 15, "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"word-aligned item with its null word", wordAligned, 16, "81 ca 00 03 01 02 03 04 01 02 61 62 00 00 00 00"},
        {"writing stops at the first item that does not fit", longFirst, 20,
         "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"items need two words after the SSRC", oneChar, 12, "81 ca 00 02 01 02 03 04 00 00 00 00"},
        {"a short item in two words after the SSRC", oneChar, 16, "81 ca 00 02 01 02 03 04 01 01 61 00"},
        // After "a" 5 bytes are left; "xy" needs (2 + 6) rounded down to
        // words, 8, though its 5 bytes and the null would fit.
        {"an item needs its length + 6 rounded down to words", two, 16, "81 ca 00 02 01 02 03 04 01 01 61 00"},
        {"the second item with room for it", two, 20, "81 ca 00 03 01 02 03 04 01 01 61 06 02 78 79 00"},
        {"BYE reason cut to the room, 13 used as 12", byeLong, 13, "81 cb 00 02 a1 b2 c3 d4 03 61 62 63"},
        {"BYE reason one short", byeLong, 16, "81 cb 00 03 a1 b2 c3 d4 07 61 62 63 64 65 66 67"},
        {"BYE reason whole", byeLong, 20, "81 cb 00 04 a1 b2 c3 d4 08 61 62 63 64 65 66 67 68 00 00 00"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(bytes_of(c.hex), encoded(c.msg, c.room)) << c.what << " (room " << c.room << ")";
}

TEST(Rtcp, NothingIsWrittenPastTheRoomForAnySize)
{
    using T = RTPC::SDES::Item;
    RTPC::SDES items = sdes({{T::cname, "user@10.0.0.1"}, {T::tool, "gw"}, {T::note, std::string(40, 'n')},
                             {T::email, "e"}});
    RTPC::BYE bye(7, std::string(70, 'r'));
    RTPC::Msg const* const messages[] = {&items, &bye};
    for (RTPC::Msg const* m : messages) {
        unsigned previous = 0;
        for (unsigned room = 0; room <= 120; ++room) {
            Bytes const out = encoded(*m, room);
            EXPECT_GE(out.size(), previous) << "more room never gives a shorter packet";
            previous = static_cast<unsigned>(out.size());
            if (!out.empty() && m == &items) {
                // The chunk's last word always holds its null item.
                EXPECT_EQ(0, out.back()) << room;
            }
        }
    }
}

TEST(Rtcp, LongTextsAreCutTo255Bytes)
{
    RTPC::SDES m = sdes({{RTPC::SDES::Item::cname, std::string(300, 'c')}});
    Bytes const out = encoded(m, 400);
    ASSERT_EQ(4u + 4 + 2 + 255 + 1 + 2, out.size());
    EXPECT_EQ(255, out[9]);
    EXPECT_EQ('c', out[10 + 254]);
    EXPECT_EQ(0, out[10 + 255]);

    RTPC::BYE bye(1, std::string(300, 'r'));
    Bytes const b = encoded(bye, 400);
    ASSERT_EQ(4u + 4 + 1 + 255, b.size());
    EXPECT_EQ(255, b[8]);
}

TEST(Rtcp, APacketTooLongForItsLengthWordIsCutToTheLargestOne)
{
    RTPC::SDES m(1);
    for (int i = 0; i < 1100; ++i)
        m.add(RTPC::SDES::Item::note, std::string(255, 'x'));
    unsigned const room = 300000;
    Bytes const out = encoded(m, room);
    EXPECT_LE(out.size(), 0x10000u * 4);
    EXPECT_GT(out.size(), 0x10000u * 4 - 260) << "as many items as the largest packet holds";
}

} // namespace
