// Bit-level PER fields, written and read back. Every expected octet string
// is derived by hand from the coding rules; the derivation stands beside it.
#include "protocol/asn1/per/CountBits.h"
#include "protocol/asn1/per/PERBitReader.h"
#include "protocol/asn1/per/PERBitWriter.h"
#include "support/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ASN1;

namespace {

enum class Op { Bit, Field, Unsigned, Small, Length, SizeLength, Align };

struct Field {
    Op op;
    unsigned value;
    unsigned a = 0; // bit count, lb or constraint kind
    unsigned b = 0; // ub
    unsigned c = 0; // ub of SizeLength
};

Field bit(bool v) { return {Op::Bit, v}; }
Field field(unsigned v, unsigned n) { return {Op::Field, v, n}; }
Field whole(unsigned v, unsigned lb, unsigned ub) { return {Op::Unsigned, v, lb, ub}; }
Field small(unsigned v) { return {Op::Small, v}; }
Field length(unsigned v, unsigned lb, unsigned ub) { return {Op::Length, v, lb, ub}; }
Field sizeLength(unsigned v, unsigned kind, unsigned lb, unsigned ub) { return {Op::SizeLength, v, kind, lb, ub}; }
Field align() { return {Op::Align, 0}; }

struct Case {
    char const* what;
    bool aligned;
    std::vector<Field> fields;
    std::vector<char> wire;
};

std::vector<Case> const cases = {
    {"three bits 101 of 0..7", true, {whole(5, 0, 7)}, octetsOf({0xA0})},
    {"0..127 is 7 bits, unaligned even in ALIGNED", true, {bit(1), whole(127, 0, 127)}, octetsOf({0xFF})},
    {"0..255 aligns, then 8 bits", true, {bit(1), whole(0x42, 0, 255)}, octetsOf({0x80, 0x42})},
    {"0..1023 aligns, then 16 bits", true, {bit(1), whole(5, 0, 1023)}, octetsOf({0x80, 0x00, 0x05})},
    {"-128..127: offset from lb, -1 is 127", true, {whole(unsigned(-1), unsigned(-128), 127)}, octetsOf({0x7F})},
    {"-128..127: -128 is 0", true, {whole(unsigned(-128), unsigned(-128), 127)}, octetsOf({0x00})},
    // 0..4294967295: octet count 1..4 in 2 bits, align, the octets
    {"full range 0 is count 1 and one octet", true, {whole(0, 0, 0xFFFFFFFF)}, octetsOf({0x00, 0x00})},
    {"full range 256 is count 2", true, {whole(256, 0, 0xFFFFFFFF)}, octetsOf({0x40, 0x01, 0x00})},
    {"full range top is count 4", true, {whole(0xFFFFFFFF, 0, 0xFFFFFFFF)}, octetsOf({0xC0, 0xFF, 0xFF, 0xFF, 0xFF})},
    // 112000..399975: range 287976 needs 19 bits, so a count 1..3 in 2 bits
    {"offset 0 from 112000", true, {whole(112000, 112000, 399975)}, octetsOf({0x00, 0x00})},
    {"offset 256 from 112000", true, {whole(112256, 112000, 399975)}, octetsOf({0x40, 0x01, 0x00})},
    {"lb equal to ub writes nothing", true, {whole(9, 9, 9), bit(1)}, octetsOf({0x80})},
    {"UNALIGNED 0..1023 is 10 bits: 0100101100", false, {whole(300, 0, 1023)}, octetsOf({0x4B, 0x00})},
    {"UNALIGNED full range is 32 bits", false, {bit(1), whole(1, 0, 0xFFFFFFFF)}, octetsOf({0x80, 0x00, 0x00, 0x00, 0x80})},
    // normally small: 0 and 6 bits, or 1, a general length and octets
    {"small 5 is 0 000101", true, {small(5)}, octetsOf({0x0A})},
    {"small 63 is 0 111111", true, {small(63)}, octetsOf({0x7E})},
    {"small 64 is 1, length 1, one octet", true, {small(64)}, octetsOf({0x80, 0x01, 0x40})},
    {"small 300 takes two octets", true, {small(300)}, octetsOf({0x80, 0x02, 0x01, 0x2C})},
    {"small 65536 takes three octets", true, {small(65536)}, octetsOf({0x80, 0x03, 0x01, 0x00, 0x00})},
    {"small 16777216 takes four octets", true, {small(16777216)}, octetsOf({0x80, 0x04, 0x01, 0x00, 0x00, 0x00})},
    // general lengths: 0xxxxxxx up to 127, 10 and 14 bits up to 16383
    {"length 0", true, {length(0, 0, UnboundedLength)}, octetsOf({0x00})},
    {"length 127", true, {length(127, 0, UnboundedLength)}, octetsOf({0x7F})},
    {"length 128", true, {length(128, 0, UnboundedLength)}, octetsOf({0x80, 0x80})},
    {"length 200", true, {length(200, 0, UnboundedLength)}, octetsOf({0x80, 0xC8})},
    {"length 8192", true, {length(8192, 0, UnboundedLength)}, octetsOf({0xA0, 0x00})},
    {"length 16383", true, {length(16383, 0, UnboundedLength)}, octetsOf({0xBF, 0xFF})},
    {"general length aligns", true, {bit(1), length(5, 0, UnboundedLength)}, octetsOf({0x80, 0x05})},
    {"UNALIGNED general length still aligns", false, {bit(1), length(5, 0, UnboundedLength)}, octetsOf({0x80, 0x05})},
    {"ub above 65535 takes the general form", true, {length(5, 0, 65536)}, octetsOf({0x05})},
    {"length 3 of 1..64 is 6 bits 000010", true, {length(3, 1, 64), bit(1)}, octetsOf({0x0A})},
    {"ALIGNED length of 0..1000 aligns to 16 bits", true, {bit(1), length(3, 0, 1000)}, octetsOf({0x80, 0x00, 0x03})},
    {"UNALIGNED length of 0..1000 is 10 bits", false, {bit(1), length(3, 0, 1000)}, octetsOf({0x80, 0x60})},
    {"fixed size writes nothing", true, {length(4, 4, 4), bit(1)}, octetsOf({0x80})},
    // sized objects by constraint kind
    {"kind 0 is the general form", true, {sizeLength(3, 0, 0, 0xFFFFFFFF)}, octetsOf({0x03})},
    {"kind 2 uses lb..ub", true, {sizeLength(3, 2, 1, 8)}, octetsOf({0x40})},
    {"kind 3 inside: bit 0 then lb..ub", true, {sizeLength(3, 3, 1, 8)}, octetsOf({0x20})},
    {"kind 3 outside: bit 1 then general", true, {sizeLength(9, 3, 1, 8)}, octetsOf({0x80, 0x09})},
    {"fields straddle octets", true, {field(0x5, 3), field(0x1FF, 9), field(0, 4)}, octetsOf({0xBF, 0xF0})},
    {"32-bit field", true, {bit(1), field(0x89ABCDEF, 32)}, octetsOf({0xC4, 0xD5, 0xE6, 0xF7, 0x80})},
    {"32-bit field after seven bits spans five octets", true, {field(0x7F, 7), field(0x89ABCDEF, 32)},
     octetsOf({0xFF, 0x13, 0x57, 0x9B, 0xDE})},
    {"field that fills the open octet exactly", true, {field(5, 3), field(0x1F, 5), bit(1)}, octetsOf({0xBF, 0x80})},
    {"aligning at a boundary does nothing", true, {align(), field(0xAB, 8), align(), field(1, 1)}, octetsOf({0xAB, 0x80})},
};

void write(PERBitWriter& w, Field const& f)
{
    switch (f.op) {
    case Op::Bit: w.encodeSingleBit(f.value != 0); break;
    case Op::Field: w.encodeMultiBit(f.value, f.a); break;
    case Op::Unsigned: ASSERT_TRUE(w.encodeUnsigned(f.value, f.a, f.b)); break;
    case Op::Small: w.encodeSmallUnsigned(f.value); break;
    case Op::Length: ASSERT_TRUE(w.encodeLength(f.value, f.a, f.b)); break;
    case Op::SizeLength: ASSERT_TRUE(w.encodeConstrainedLength(int(f.a), f.b, f.c, f.value)); break;
    case Op::Align: w.byteAlign(); break;
    }
}

void readBack(PERBitReader& r, Field const& f)
{
    unsigned got = 0;
    switch (f.op) {
    case Op::Bit: got = unsigned(r.decodeSingleBit()); break;
    case Op::Field: ASSERT_TRUE(r.decodeMultiBit(f.a, got)); break;
    case Op::Unsigned: ASSERT_EQ(0, r.decodeUnsigned(f.a, f.b, got)); break;
    case Op::Small: ASSERT_TRUE(r.decodeSmallUnsigned(got)); break;
    case Op::Length: ASSERT_EQ(0, r.decodeLength(f.a, f.b, got)); break;
    case Op::SizeLength: ASSERT_EQ(0, r.decodeConstrainedLength(int(f.a), f.b, f.c, got)); break;
    case Op::Align: r.byteAlign(); return;
    }
    EXPECT_EQ(f.value, got);
}

} // namespace

TEST(PERBits, FieldsAreWrittenExactlyAsDerived)
{
    for (auto const& c : cases) {
        std::vector<char> out;
        PERBitWriter w(out, c.aligned);
        for (auto const& f : c.fields)
            write(w, f);
        EXPECT_EQ(hexText(c.wire), hexText(out)) << c.what;
    }
}

TEST(PERBits, FieldsReadBackWhatWasWritten)
{
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        PERBitReader r(c.wire.data(), c.wire.data() + c.wire.size(), c.aligned);
        for (auto const& f : c.fields)
            readBack(r, f);
    }
}

TEST(PERBits, CountBitsIsTheWidthForThatManyValues)
{
    struct { unsigned n, bits; } const table[] = {
        {0, 32}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {255, 8}, {256, 8}, {257, 9},
        {65536, 16}, {65537, 17}, {0x80000000u, 31}, {0x80000001u, 32}, {0xFFFFFFFFu, 32},
    };
    for (auto const& t : table)
        EXPECT_EQ(t.bits, CountBits(t.n)) << t.n;
}

TEST(PERBits, BitMapsKeepTheirLastBitsInTheHighOrderEnd)
{
    // a leading 1, then the 11 bits 10101011 111: 1101 0101 1111 (0000)
    std::vector<char> const map = octetsOf({0xAB, 0xE0});
    std::vector<char> out;
    PERBitWriter w(out, true);
    w.encodeSingleBit(true);
    w.encodeBitMap(map, 11);
    EXPECT_EQ(hexText(octetsOf({0xD5, 0xF0})), hexText(out));

    PERBitReader r(out.data(), out.data() + out.size(), true);
    std::vector<char> back(2);
    EXPECT_EQ(1, r.decodeSingleBit());
    ASSERT_TRUE(r.decodeBitMap(back, 11));
    EXPECT_EQ(hexText(map), hexText(back));
    std::vector<char> tooSmall(1);
    PERBitReader again(out.data(), out.data() + out.size(), true);
    EXPECT_FALSE(again.decodeBitMap(tooSmall, 11));
    EXPECT_FALSE(again.decodeBitMap(back, 17));
}

TEST(PERBits, WriterRefusesWhatCannotBeCarried)
{
    std::vector<char> out;
    PERBitWriter w(out, true);
    EXPECT_FALSE(w.encodeUnsigned(8, 0, 7));
    EXPECT_FALSE(w.encodeUnsigned(unsigned(-129), unsigned(-128), 127));
    EXPECT_FALSE(w.encodeUnsigned(128, unsigned(-128), 127));
    EXPECT_FALSE(w.encodeLength(16384, 0, UnboundedLength));
    EXPECT_FALSE(w.encodeLength(0, 1, 64));
    EXPECT_FALSE(w.encodeLength(65, 1, 64));
    EXPECT_FALSE(w.encodeConstrainedLength(2, 1, 8, 9));
    EXPECT_TRUE(out.empty());
    w.encodeBlock("x", 0);
    EXPECT_TRUE(out.empty()) << "an empty block neither aligns nor writes";
}

TEST(PERBits, ReaderFailsInsteadOfReadingPastTheEnd)
{
    struct Bad {
        char const* what;
        std::vector<char> input;
        bool (*read)(PERBitReader&);
    };
    Bad const table[] = {
        {"no bit in empty input", {}, [](PERBitReader& r) { return r.decodeSingleBit() >= 0; }},
        {"9 bits from one octet", octetsOf({0xFF}),
         [](PERBitReader& r) { unsigned v; return r.decodeMultiBit(9, v); }},
        {"33-bit field", octetsOf({0, 0, 0, 0, 0}),
         [](PERBitReader& r) { unsigned v; return r.decodeMultiBit(33, v); }},
        {"two-octet length without its second octet", octetsOf({0x80}),
         [](PERBitReader& r) { unsigned v; return r.decodeLength(0, UnboundedLength, v) == 0; }},
        {"fragmented length", octetsOf({0xC0, 0x01}),
         [](PERBitReader& r) { unsigned v; return r.decodeLength(0, UnboundedLength, v) == 0; }},
        {"16-bit whole number from one octet", octetsOf({0x01}),
         [](PERBitReader& r) { unsigned v; return r.decodeUnsigned(0, 1023, v) == 0; }},
        {"octet count without its octets", octetsOf({0xC0, 0xFF}),
         [](PERBitReader& r) { unsigned v; return r.decodeUnsigned(0, 0xFFFFFFFF, v) == 0; }},
        {"normally small number of 5 octets", octetsOf({0x80, 0x05, 1, 2, 3, 4, 5}),
         [](PERBitReader& r) { unsigned v; return r.decodeSmallUnsigned(v); }},
        {"normally small number cut short", octetsOf({0x80, 0x02, 0x01}),
         [](PERBitReader& r) { unsigned v; return r.decodeSmallUnsigned(v); }},
        {"extension bit of a size missing", {},
         [](PERBitReader& r) { unsigned v; return r.decodeConstrainedLength(3, 0, 7, v) == 0; }},
        {"skip past the end", octetsOf({1, 2}), [](PERBitReader& r) { return r.skipOctets(3); }},
    };
    for (auto const& b : table) {
        PERBitReader r(b.input.data(), b.input.data() + b.input.size(), true);
        EXPECT_FALSE(b.read(r)) << b.what;
    }
}

// Far from the end of the input the reader takes a field from one word of
// eight octets, near the end octet by octet: both must give the bits a
// plain bit-by-bit reading gives, at every offset and width, and must
// refuse a field that runs past the end.
TEST(PERBits, FieldsOfEveryWidthAndOffsetReadAsBitByBit)
{
    std::vector<char> input(19);
    unsigned seed = 0x2545F491u;
    for (char& octet : input) {
        seed = seed * 1103515245u + 12345u;
        octet = static_cast<char>(seed >> 23);
    }
    unsigned const totalBits = static_cast<unsigned>(input.size() * 8);
    auto bitAt = [&](unsigned i) { return (static_cast<unsigned char>(input[i / 8]) >> (7 - i % 8)) & 1u; };
    for (unsigned offset = 0; offset < totalBits; ++offset) {
        for (unsigned width = 1; width <= 32; ++width) {
            PERBitReader r(input.data(), input.data() + input.size(), true);
            for (unsigned skipped = 0; skipped < offset; ++skipped)
                ASSERT_GE(r.decodeSingleBit(), 0);
            unsigned got = 0;
            bool const read = r.decodeMultiBit(width, got);
            if (offset + width > totalBits) {
                EXPECT_FALSE(read) << "offset " << offset << " width " << width;
                continue;
            }
            unsigned expected = 0;
            for (unsigned i = 0; i < width; ++i)
                expected = (expected << 1) | bitAt(offset + i);
            ASSERT_TRUE(read) << "offset " << offset << " width " << width;
            ASSERT_EQ(expected, got) << "offset " << offset << " width " << width;
            // The position moved by exactly the width.
            EXPECT_EQ(totalBits - offset - width, r.getBitsLeft()) << "offset " << offset << " width " << width;
        }
    }
}

TEST(PERBits, ReaderIsLenientAboutValuesAboveTheUpperBound)
{
    // 0..2 takes 2 bits, which can carry 3
    std::vector<char> const in = octetsOf({0xC0});
    PERBitReader r(in.data(), in.data() + in.size(), true);
    unsigned v = 0;
    ASSERT_EQ(0, r.decodeUnsigned(0, 2, v));
    EXPECT_EQ(3u, v);
}

TEST(PERBits, FailedReadsConsumeNothing)
{
    std::vector<char> const in = octetsOf({0xA5});
    PERBitReader r(in.data(), in.data() + in.size(), true);
    unsigned v = 0;
    EXPECT_FALSE(r.decodeMultiBit(9, v));
    ASSERT_TRUE(r.decodeMultiBit(8, v));
    EXPECT_EQ(0xA5u, v);
    EXPECT_EQ(-1, r.decodeSingleBit());
}

TEST(PERBits, BlocksCopyWhatIsThereAndReportTheCount)
{
    std::vector<char> const in = octetsOf({0x80, 'a', 'b'});
    PERBitReader r(in.data(), in.data() + in.size(), true);
    EXPECT_EQ(1, r.decodeSingleBit());
    char out[4] = {};
    EXPECT_EQ(2u, r.decodeBlock(out, 4));
    EXPECT_EQ('a', out[0]);
    EXPECT_EQ('b', out[1]);
    EXPECT_EQ(0u, r.getBitsLeft());
}

TEST(PERBits, WindowConfinesReadingToTheOpenType)
{
    // a bit, then a 2-octet window, then one octet after it
    std::vector<char> const in = octetsOf({0x80, 0xAA, 0xBB, 0xCC});
    PERBitReader r(in.data(), in.data() + in.size(), false);
    EXPECT_EQ(1, r.decodeSingleBit());
    PERBitReader::Window window{};
    EXPECT_FALSE(r.openWindow(4, window)) << "longer than what is left";
    ASSERT_TRUE(r.openWindow(2, window));
    EXPECT_TRUE(r.aligned()) << "open-type contents are ALIGNED";
    EXPECT_EQ(16u, r.getBitsLeft());
    unsigned v = 0;
    EXPECT_FALSE(r.decodeMultiBit(17, v));
    ASSERT_TRUE(r.decodeMultiBit(4, v));
    EXPECT_EQ(0xAu, v);
    r.closeWindow(window);
    EXPECT_FALSE(r.aligned());
    ASSERT_TRUE(r.decodeMultiBit(8, v));
    EXPECT_EQ(0xCCu, v);
    EXPECT_TRUE(r.atEnd());
}

TEST(PERBits, WindowThatEndsExactlyAtTheEndOfInputFits)
{
    std::vector<char> const in = octetsOf({0x02, 0x01, 0x02});
    PERBitReader r(in.data(), in.data() + in.size(), true);
    unsigned n = 0;
    ASSERT_EQ(0, r.decodeLength(0, UnboundedLength, n));
    PERBitReader::Window window{};
    ASSERT_TRUE(r.openWindow(n, window));
    r.closeWindow(window);
    EXPECT_TRUE(r.atEnd());
}
