// The PER coding of every value class, byte for byte, both directions.
// Each expected encoding is derived by hand from the coding rules; the
// derivation is written beside it (bits grouped by field, "|" marks an
// alignment). Where the coding departs from X.691 the row says so.
#include "protocol/asn1/per/PERDecoder.h"
#include "protocol/asn1/per/PEREncoder.h"
#include "protocol/asn1/value/Values.h"
#include "support/HexText.h"
#include "tests/protocol/asn1/ValueFillers.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace ASN1;

namespace {

// Records of the test schema --------------------------------------------

template <ConstraintType Kind, int Lb, unsigned Ub>
INTEGER::InfoType const Int = {{&createAs<INTEGER>, 2}, Kind, Lb, Ub};

template <ConstraintType Kind, int Lb, unsigned Ub>
OCTET_STRING::InfoType const Octets = {{&createAs<OCTET_STRING>, 4}, Kind, Lb, Ub};

template <ConstraintType Kind, int Lb, unsigned Ub>
BIT_STRING::InfoType const Bits = {{&createAs<BIT_STRING>, 3}, Kind, Lb, Ub};

template <ConstraintType Kind, int Lb, unsigned Ub>
AbstractString::InfoType const Ia5 = {{{&createAs<AbstractString>, 22}, Kind, Lb, Ub}, nullptr, 128, 7, 7, 8};

BMPString::InfoType const OneBmp = {{{&createAs<BMPString>, 30}, FixedConstraint, 1, 1}, 0, 65535, 16, 16};

char const* const abcNames[] = {"a", "b", "c", nullptr};
ENUMERATED::InfoType const Abc = {{&createAs<ENUMERATED>, 10}, false, 2, abcNames};
char const* const abcdNames[] = {"a", "b", "c", "d", nullptr};
ENUMERATED::InfoType const Abcd = {{&createAs<ENUMERATED>, 10}, false, 3, abcdNames};
ENUMERATED::InfoType const AbcdExt = {{&createAs<ENUMERATED>, 10}, true, 3, abcdNames};
char const* const gappyNames[] = {"x", "y=5", "z=9", nullptr};
ENUMERATED::InfoType const Gappy = {{&createAs<ENUMERATED>, 10}, true, 9, gappyNames};
char const* const fiveNames[] = {"red", "green", "blue", "cyan", "magenta", nullptr};
ENUMERATED::InfoType const Five = {{&createAs<ENUMERATED>, 10}, false, 4, fiveNames};
char const* const eightNames[] = {"n0", "n1", "n2", "n3", "n4", "n5", "n6", "n7", nullptr};
ENUMERATED::InfoType const Eight = {{&createAs<ENUMERATED>, 10}, false, 7, eightNames};

// Leaf ::= CHOICE { none NULL, flag BOOLEAN, num INTEGER (0..2) }
AbstractData::InfoType const* const leafAlternatives[] = {&Null::theInfo, &BOOLEAN::theInfo, &Int<FixedConstraint, 0, 2>};
CHOICE::InfoType const Leaf = {{&createAs<CHOICE>, 0}, false, leafAlternatives, 3, 3, nullptr, nullptr};
// Only ::= CHOICE { flag BOOLEAN }
CHOICE::InfoType const Only = {{&createAs<CHOICE>, 0}, false, leafAlternatives + 1, 1, 1, nullptr, nullptr};
// Alt ::= CHOICE { a INTEGER, b OCTET STRING, c NULL, ..., d BOOLEAN, e Leaf }
AbstractData::InfoType const* const altAlternatives[] = {
    &INTEGER::theInfo, &OCTET_STRING::theInfo, &Null::theInfo, &BOOLEAN::theInfo, &Leaf};
CHOICE::InfoType const Alt = {{&createAs<CHOICE>, 0}, true, altAlternatives, 3, 5, nullptr, nullptr};

// Pair<T> ::= SEQUENCE { flag BOOLEAN, value T }: T after one bit.
int const pairIds[] = {-1, -1};
template <auto T>
AbstractData::InfoType const* const pairFields[] = {&BOOLEAN::theInfo, T};
template <auto T>
SEQUENCE::InfoType const Pair = {
    {&createAs<SEQUENCE>, 16}, false, pairFields<T>, pairIds, 2, 0, 0, nullptr, nullptr, nullptr};

// BitsThenFlag ::= SEQUENCE { bits BIT STRING (SIZE(20)), flag BOOLEAN }
AbstractData::InfoType const* const bitsThenFlagFields[] = {&Bits<FixedConstraint, 20, 20>, &BOOLEAN::theInfo};
SEQUENCE::InfoType const BitsThenFlag = {
    {&createAs<SEQUENCE>, 16}, false, bitsThenFlagFields, pairIds, 2, 0, 0, nullptr, nullptr, nullptr};

// Number ::= SEQUENCE { type ENUMERATED (0..7), plan INTEGER (0..15), ..., screening ENUMERATED (0..3) }
AbstractData::InfoType const* const numberFields[] = {&Eight, &Int<FixedConstraint, 0, 15>, &Abcd};
int const numberIds[] = {-1, -1, 0};
SEQUENCE::InfoType const Number = {
    {&createAs<SEQUENCE>, 16}, true, numberFields, numberIds, 2, 1, 0, nullptr, nullptr, nullptr};

// Options ::= SEQUENCE { seq INTEGER OPTIONAL, slot INTEGER (0..1023) OPTIONAL }
AbstractData::InfoType const* const optionsFields[] = {&INTEGER::theInfo, &Int<FixedConstraint, 0, 1023>};
int const optionsIds[] = {0, 1};
SEQUENCE::InfoType const Options = {
    {&createAs<SEQUENCE>, 16}, false, optionsFields, optionsIds, 2, 0, 2, nullptr, nullptr, nullptr};

// Later ::= SEQUENCE { a INTEGER (0..7), ..., b BOOLEAN } (a newer peer knows more additions)
AbstractData::InfoType const* const laterFields[] = {&Int<FixedConstraint, 0, 7>, &BOOLEAN::theInfo};
int const laterIds[] = {-1, 0};
SEQUENCE::InfoType const Later = {
    {&createAs<SEQUENCE>, 16}, true, laterFields, laterIds, 1, 1, 0, nullptr, nullptr, nullptr};

// Node ::= SEQUENCE { value INTEGER (0..255), next Node OPTIONAL, kids SEQUENCE OF Node, ..., tag IA5String }
extern SEQUENCE::InfoType const Node;
SEQUENCE_OF_Base::InfoType const NodeList = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &Node};
AbstractData::InfoType const* const nodeFields[] = {&Int<FixedConstraint, 0, 255>, &Node, &NodeList, &IA5String::theInfo};
int const nodeIds[] = {-1, 0, -1, 1};
SEQUENCE::InfoType const Node = {{&createAs<SEQUENCE>, 16}, true, nodeFields, nodeIds, 3, 1, 1, nullptr, nullptr, nullptr};

SEQUENCE_OF_Base::InfoType const IntList = {
    {{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &INTEGER::theInfo};
SEQUENCE_OF_Base::InfoType const Triple = {{{&createAs<SEQUENCE_OF_Base>, 16}, FixedConstraint, 3, 3}, &Five};

TypeConstrainedOpenData::InfoType const OpenSmall = {{&createAs<TypeConstrainedOpenData>, 0}, &Int<FixedConstraint, 0, 7>};
TypeConstrainedOpenData::InfoType const OpenNull = {{&createAs<TypeConstrainedOpenData>, 0}, &Null::theInfo};
TypeConstrainedOpenData::InfoType const OpenWord = {{&createAs<TypeConstrainedOpenData>, 0}, &Int<FixedConstraint, 0, 1023>};
TypeConstrainedOpenData::InfoType const OpenOctets = {{&createAs<TypeConstrainedOpenData>, 0}, &OCTET_STRING::theInfo};
TypeConstrainedOpenData::InfoType const OpenAlt = {{&createAs<TypeConstrainedOpenData>, 0}, &Alt};

using namespace ValueFillers;

bool decodes(AbstractData& value, std::vector<char> const& wire, bool aligned = true)
{
    return PERDecoder::decode(nullptr, wire.data(), wire.data() + wire.size(), value, aligned);
}

std::vector<char> const filled(std::size_t n, int octet) { return std::vector<char>(n, static_cast<char>(octet)); }

std::vector<char> concat(std::vector<char> a, std::vector<char> const& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr bool A = true;  // ALIGNED
constexpr bool U = false; // UNALIGNED

struct Vector {
    char const* what;
    AbstractData::InfoType const& type;
    Filler value;
    bool aligned;
    std::vector<char> wire;
};

typedef INTEGER::InfoType const IntInfo;
constexpr IntInfo& Byte = Int<FixedConstraint, -128, 127>;
constexpr IntInfo& Small7 = Int<FixedConstraint, 0, 127>;
constexpr IntInfo& Octet = Int<FixedConstraint, 0, 255>;
constexpr IntInfo& Slot = Int<FixedConstraint, 0, 1023>;
constexpr IntInfo& Word = Int<FixedConstraint, 0, 65535>;
constexpr IntInfo& Full = Int<FixedConstraint, 0, 4294967295u>;
constexpr IntInfo& Rate = Int<FixedConstraint, 112000, 399975>;
constexpr IntInfo& Fixed7 = Int<FixedConstraint, 7, 7>;
constexpr IntInfo& AtLeast5 = Int<PartiallyConstrained, 5, 4294967295u>;
constexpr IntInfo& Nibble = Int<ExtendableConstraint, 0, 15>;
constexpr IntInfo& Negative = Int<ExtendableConstraint, -5, unsigned(-1)>;

std::vector<Vector> const vectors = {
    // INTEGER ----------------------------------------------------------------
    {"-128..127 holding -1: one aligned octet, value + 128", Byte, setInt(-1), A, octetsOf({0x7F})},
    {"-128..127 holding 127", Byte, setInt(127), A, octetsOf({0xFF})},
    {"-128..127 holding -128", Byte, setInt(-128), A, octetsOf({0x00})},
    {"0..127 after a bit: 1 0000101, no alignment", Pair<&Small7>, setPair(setInt(5)), A, octetsOf({0x85})},
    {"0..255 after a bit: 1 | 01000010", Pair<&Octet>, setPair(setInt(0x42)), A, octetsOf({0x80, 0x42})},
    {"0..1023 after a bit: 1 | 16 bits", Pair<&Slot>, setPair(setInt(5)), A, octetsOf({0x80, 0x00, 0x05})},
    {"0..65535 after a bit: 1 | 16 bits", Pair<&Word>, setPair(setInt(65535)), A, octetsOf({0x80, 0xFF, 0xFF})},
    {"0..4294967295 after a bit: 1 01 (two octets) | 0x0100", Pair<&Full>, setPair(setInt(256)), A,
     octetsOf({0xA0, 0x01, 0x00})},
    {"0..4294967295 holding 0: count 1 in 2 bits 00 | 00", Full, setInt(0), A, octetsOf({0x00, 0x00})},
    {"0..4294967295 at the top: 11 | four octets", Full, setInt(-1), A, octetsOf({0xC0, 0xFF, 0xFF, 0xFF, 0xFF})},
    {"112000..399975 holding 112000: 00 | offset 0", Rate, setInt(112000), A, octetsOf({0x00, 0x00})},
    {"112000..399975 holding 112256: 01 | offset 0x0100", Rate, setInt(112256), A, octetsOf({0x40, 0x01, 0x00})},
    {"7..7: no bits, and an empty top-level encoding (X.691: one zero octet)", Fixed7, setInt(7), A, {}},
    {"unconstrained 0: length 1, 00", INTEGER::theInfo, setInt(0), A, octetsOf({0x01, 0x00})},
    {"unconstrained 127", INTEGER::theInfo, setInt(127), A, octetsOf({0x01, 0x7F})},
    {"unconstrained 128 needs a sign octet", INTEGER::theInfo, setInt(128), A, octetsOf({0x02, 0x00, 0x80})},
    {"unconstrained 255", INTEGER::theInfo, setInt(255), A, octetsOf({0x02, 0x00, 0xFF})},
    {"unconstrained -1", INTEGER::theInfo, setInt(-1), A, octetsOf({0x01, 0xFF})},
    {"unconstrained -129", INTEGER::theInfo, setInt(-129), A, octetsOf({0x02, 0xFF, 0x7F})},
    {"unconstrained -256", INTEGER::theInfo, setInt(-256), A, octetsOf({0x02, 0xFF, 0x00})},
    {"unconstrained smallest", INTEGER::theInfo, setInt(-2147483647 - 1), A, octetsOf({0x04, 0x80, 0x00, 0x00, 0x00})},
    {"lower bound only holds the value itself (X.691: value - lb): 10 is 01 0A", AtLeast5, setInt(10), A,
     octetsOf({0x01, 0x0A})},
    {"0..15,... inside: 0 0101", Nibble, setInt(5), A, octetsOf({0x28})},
    {"0..15,... outside: 1 | length 1, 20", Nibble, setInt(20), A, octetsOf({0x80, 0x01, 0x14})},
    {"0..15,... below: 1 | length 1, -1", Nibble, setInt(-1), A, octetsOf({0x80, 0x01, 0xFF})},
    {"-5..-1,... inside: 0, offset 2 in 3 bits 010", Negative, setInt(-3), A, octetsOf({0x20})},
    {"-5..-1,... holding 3 is outside: 1 | 01 03", Negative, setInt(3), A, octetsOf({0x80, 0x01, 0x03})},
    {"UNALIGNED 0..1023 after a bit: 1 0000000101", Pair<&Slot>, setPair(setInt(5)), U, octetsOf({0x80, 0xA0})},
    {"UNALIGNED 0..4294967295 is 32 bits, no count", Pair<&Full>, setPair(setInt(1)), U,
     octetsOf({0x80, 0x00, 0x00, 0x00, 0x80})},

    // ENUMERATED, BOOLEAN, NULL ----------------------------------------------------
    {"{a, b, c} holding b: 2 bits 01", Abc, setEnum(1), A, octetsOf({0x40})},
    {"{x, y(5), z(9), ...} holding y: 0, the number 5 of 0..9 (X.691: position 1)", Gappy, setEnum(5), A,
     octetsOf({0x28})},
    {"{x, y(5), z(9), ...} holding z: 0 1001", Gappy, setEnum(9), A, octetsOf({0x48})},
    {"extendable, max 3, holding 5: 1, small 6 0000110, 5 of 0..5 101 (X.691: extension position)", AbcdExt,
     setEnum(5), A, octetsOf({0x86, 0xA0})},
    {"BOOLEAN true", BOOLEAN::theInfo, setBool(true), A, octetsOf({0x80})},
    {"BOOLEAN false is one zero bit", BOOLEAN::theInfo, setBool(false), A, octetsOf({0x00})},
    {"NULL has no bits: empty encoding", Null::theInfo, nothing(), A, {}},

    // BIT STRING -------------------------------------------------------------
    {"unconstrained 11 bits: length 0B, bits 10000000 001", BIT_STRING::theInfo, setBits("10000000001"), A,
     octetsOf({0x0B, 0x80, 0x20})},
    {"empty: length 0", BIT_STRING::theInfo, setBits(""), A, octetsOf({0x00})},
    {"SIZE(12) after a bit: no length, 12 bits unaligned", Pair<&Bits<FixedConstraint, 12, 12>>,
     setPair(setBits("111100001010")), A, octetsOf({0xF8, 0x50})},
    {"SIZE(20) after a bit: above 16 bits, aligned", Pair<&Bits<FixedConstraint, 20, 20>>,
     setPair(setBits("11111111111111111111")), A, octetsOf({0x80, 0xFF, 0xFF, 0xF0})},
    {"UNALIGNED SIZE(20) after a bit is not aligned", Pair<&Bits<FixedConstraint, 20, 20>>,
     setPair(setBits("11111111111111111111")), U, octetsOf({0xFF, 0xFF, 0xF8})},
    {"SIZE(20) then a bit: the block fills whole octets (X.691: FF FF F8)", BitsThenFlag,
     setFields({setBits("11111111111111111111"), setBool(true)}), A, octetsOf({0xFF, 0xFF, 0xF0, 0x80})},
    {"SIZE(1..16), 4 bits after a bit: 1 0011 1010, unaligned (X.691 aligns)", Pair<&Bits<FixedConstraint, 1, 16>>,
     setPair(setBits("1010")), A, octetsOf({0x9D, 0x00})},

    // OCTET STRING -----------------------------------------------------------
    {"unconstrained empty: length 0", OCTET_STRING::theInfo, setOctets({}), A, octetsOf({0x00})},
    {"unconstrained 127 octets: one length octet", OCTET_STRING::theInfo, setOctets(filled(127, 0x11)), A,
     concat(octetsOf({0x7F}), filled(127, 0x11))},
    {"unconstrained 200 octets: 10 and 200 in 14 bits", OCTET_STRING::theInfo, setOctets(filled(200, 0x22)), A,
     concat(octetsOf({0x80, 0xC8}), filled(200, 0x22))},
    {"unconstrained 8192 octets: A0 00", OCTET_STRING::theInfo, setOctets(filled(8192, 0x33)), A,
     concat(octetsOf({0xA0, 0x00}), filled(8192, 0x33))},
    {"unconstrained 16383 octets: BF FF", OCTET_STRING::theInfo, setOctets(filled(16383, 0x44)), A,
     concat(octetsOf({0xBF, 0xFF}), filled(16383, 0x44))},
    {"SIZE(2) after a bit: 1 10101011 11001101", Pair<&Octets<FixedConstraint, 2, 2>>,
     setPair(setOctets(octetsOf({0xAB, 0xCD}))), A, octetsOf({0xD5, 0xE6, 0x80})},
    {"SIZE(1..4), 2 octets after a bit: 1 01 then the octets unaligned (X.691 aligns)",
     Pair<&Octets<FixedConstraint, 1, 4>>, setPair(setOctets(octetsOf({0xAB, 0xCD}))), A, octetsOf({0xB5, 0x79, 0xA0})},
    {"SIZE(1..4), 3 octets after a bit: 1 10 | block", Pair<&Octets<FixedConstraint, 1, 4>>,
     setPair(setOctets(octetsOf({1, 2, 3}))), A, octetsOf({0xC0, 0x01, 0x02, 0x03})},
    {"SIZE(3..10,...) outside: 1 | general length", Octets<ExtendableConstraint, 3, 10>, setOctets(octetsOf({9})), A,
     octetsOf({0x80, 0x01, 0x09})},

    // Character strings --------------------------------------------------------
    {"IA5String (SIZE(1..64)) abc: 000010 | 61 62 63", Ia5<FixedConstraint, 1, 64>, setText("abc"), A,
     octetsOf({0x08, 0x61, 0x62, 0x63})},
    {"IA5String abc: 03 | 61 62 63", IA5String::theInfo, setText("abc"), A, octetsOf({0x03, 0x61, 0x62, 0x63})},
    {"UNALIGNED IA5String (SIZE(1..64)) abc: 000010 then 7-bit codes", Ia5<FixedConstraint, 1, 64>,
     setText("abc"), U, octetsOf({0x0B, 0x0E, 0x2C, 0x60})},
    {"UNALIGNED IA5String ab: aligned general length 02, 7-bit codes", IA5String::theInfo, setText("ab"), U,
     octetsOf({0x02, 0xC3, 0x88})},
    {"IA5String (SIZE(0..2)) after a bit: 2 x 8 bits fit 16, so no alignment", Pair<&Ia5<FixedConstraint, 0, 2>>,
     setPair(setText("ab")), A, octetsOf({0xCC, 0x2C, 0x40})},
    {"IA5String (SIZE(0..64)) empty then a bit: no alignment for an empty block",
     Pair<&Ia5<FixedConstraint, 0, 64>>, setFields({setBool(false), setText("")}), A, octetsOf({0x00})},
    {"NumericString 12 and a space: indexes 2, 3, 0 in 4 bits", NumericString::theInfo, setText("12 "), A,
     octetsOf({0x03, 0x23, 0x00})},
    {"PrintableString: own 8-bit codes", PrintableString::theInfo, setText("A b"), A,
     octetsOf({0x03, 0x41, 0x20, 0x62})},
    {"BMPString e-acute: 01 | 00 E9", BMPString::theInfo, setWide(L"é"), A, octetsOf({0x01, 0x00, 0xE9})},
    {"BMPString (SIZE(1)) after a bit: 16 bits fit, no alignment", Pair<&OneBmp>, setPair(setWide(L"é")), A,
     octetsOf({0x80, 0x74, 0x80})},

    // CHOICE -----------------------------------------------------------------
    {"{none, flag, num} flag true: index 01, 1", Leaf, setChoice(1, setBool(true)), A, octetsOf({0x60})},
    {"{none, flag, num} num 2: 10 10", Leaf, setChoice(2, setInt(2)), A, octetsOf({0xA0})},
    {"one alternative: no index", Only, setChoice(0, setBool(true)), A, octetsOf({0x80})},
    {"extendable, root a = 5: 0 00 | length 1, 5", Alt, setChoice(0, setInt(5)), A, octetsOf({0x00, 0x01, 0x05})},
    {"extension d = true: 1 0000000 | open type 01 80", Alt, setChoice(3, setBool(true)), A,
     octetsOf({0x80, 0x01, 0x80})},
    {"extension e = num 2: 1 0000001 | open type 01 A0", Alt, setChoice(4, setChoice(2, setInt(2))), A,
     octetsOf({0x81, 0x01, 0xA0})},
    {"root c = NULL: 0 10", Alt, setChoice(2), A, octetsOf({0x40})},

    // SEQUENCE ---------------------------------------------------------------
    {"extendable, no addition: 0 010 0001", Number, setFields({setEnum(2), setInt(1)}), A, octetsOf({0x21})},
    {"with the addition: 1 010 0001, small 0, map 1, open type 01 C0", Number,
     setFields({setEnum(2), setInt(1), setEnum(3)}), A, octetsOf({0xA1, 0x01, 0x01, 0xC0})},
    {"both OPTIONAL fields: 11 | 01 07 | 00 05", Options, setFields({setInt(7), setInt(5)}), A,
     octetsOf({0xC0, 0x01, 0x07, 0x00, 0x05})},
    {"second OPTIONAL only: 01 | 00 05", Options, setFields({Filler(), setInt(5)}), A, octetsOf({0x40, 0x00, 0x05})},
    {"UNALIGNED: an open type's contents are ALIGNED (8-bit IA5 inside)", Node,
     setFields({setInt(1), Filler(), setList({}), setText("a")}), U,
     octetsOf({0x80, 0x40, 0x00, 0x01, 0x02, 0x01, 0x61})},

    // SEQUENCE OF --------------------------------------------------------------
    {"unconstrained, 1 and -1: 02 | 01 01 | 01 FF", IntList, setList({setInt(1), setInt(-1)}), A,
     octetsOf({0x02, 0x01, 0x01, 0x01, 0xFF})},
    {"SIZE(3) of a 0..4 enumeration: no count, 000 010 000", Triple,
     setList({setEnum(0), setEnum(2), setEnum(0)}), A, octetsOf({0x08, 0x00})},

    // OBJECT IDENTIFIER, GeneralizedTime, open types ------------------------------
    {"{1 2 840 113549}: length 6 | 2A 86 48 86 F7 0D", OBJECT_IDENTIFIER::theInfo, setOid({1, 2, 840, 113549}), A,
     octetsOf({0x06, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D})},
    {"UNALIGNED OBJECT IDENTIFIER after a bit: 8-bit length, aligned contents", Pair<&OBJECT_IDENTIFIER::theInfo>,
     setPair(setOid({1, 2, 840, 113549})), U, octetsOf({0x83, 0x00, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D})},
    {"GeneralizedTime: its text as a general length and octets", GeneralizedTime::theInfo,
     [](AbstractData& v) { dynamic_cast<GeneralizedTime&>(v) = GeneralizedTime(2024, 1, 2, 3, 4, 5, 0, 0, true); }, A,
     concat(octetsOf({15}), std::vector<char>({'2', '0', '2', '4', '0', '1', '0', '2', '0', '3', '0', '4', '0', '5', 'Z'}))},
    {"OpenData with received octets: written as they are", OpenData::theInfo, setOpenBuffer(octetsOf({0x01, 0x80})), A,
     octetsOf({0x02, 0x01, 0x80})},
    {"an open type whose value has no bits holds one zero octet", OpenNull, nothing(), A, octetsOf({0x01, 0x00})},
    {"type-constrained open type of 0..7 holding 5: 01 | 101 padded", OpenSmall, setContained(setInt(5)), A,
     octetsOf({0x01, 0xA0})},
    {"open type of 202 octets: 80 CA before the contents", OpenOctets, setContained(setOctets(filled(200, 0x22))), A,
     concat(octetsOf({0x80, 0xCA, 0x80, 0xC8}), filled(200, 0x22))},
    {"UNALIGNED open type of 202 octets after a bit: the length starts an octet", Pair<&OpenOctets>,
     setPair(setContained(setOctets(filled(200, 0x22)))), U,
     concat(octetsOf({0x80, 0x80, 0xCA, 0x80, 0xC8}), filled(200, 0x22))},
};

} // namespace

TEST(PERVectors, EncodingIsExactlyTheDerivedOctets)
{
    for (Vector const& v : vectors) {
        std::unique_ptr<AbstractData> value = make(v.type, v.value);
        std::vector<char> out;
        EXPECT_TRUE(PEREncoder::encode(*value, v.aligned, out)) << v.what;
        EXPECT_EQ(hexText(v.wire), hexText(out)) << v.what;
    }
}

TEST(PERVectors, DecodingTheOctetsGivesTheValueBack)
{
    for (Vector const& v : vectors) {
        std::unique_ptr<AbstractData> expected = make(v.type, v.value);
        std::unique_ptr<AbstractData> decoded(v.type.create(&v.type));
        ASSERT_TRUE(decodes(*decoded, v.wire, v.aligned)) << v.what;
        EXPECT_EQ(0, expected->compare(*decoded)) << v.what;
    }
}

TEST(PERVectors, AFailedEncodeLeavesTheOutputAsItWas)
{
    // The flag and the open type's length are written before the CHOICE
    // inside turns out to have no selection.
    std::unique_ptr<AbstractData> value = make(Pair<&OpenAlt>, [](AbstractData&) {});
    for (bool aligned : {true, false}) {
        std::vector<char> out(1, 'x');
        EXPECT_FALSE(PEREncoder::encode(*value, aligned, out));
        EXPECT_EQ("78", hexText(out));
    }
}

namespace {

// Broken ::= SEQUENCE { a OPTIONAL, ..., b }: neither field has a type.
AbstractData::InfoType const* const brokenFields[] = {nullptr, nullptr};
int const brokenIds[] = {0, 1};
SEQUENCE::InfoType const Broken = {{&createAs<SEQUENCE>, 16}, true, brokenFields, brokenIds, 1, 1, 1, nullptr, nullptr, nullptr};

OCTET_STRING::InfoType const& Big = Octets<FixedConstraint, 0, 20000>;

struct Input {
    char const* what;
    AbstractData::InfoType const& type;
    std::vector<char> wire;
};

std::vector<char> listOf(unsigned count)
{
    std::vector<char> wire = count < 128 ? octetsOf({int(count)}) : octetsOf({0x80, int(count)});
    for (unsigned i = 0; i < count; ++i)
        wire = concat(wire, octetsOf({0x01, 0x05}));
    return wire;
}

std::vector<Input> const refused = {
    {"an unconstrained INTEGER of zero octets", INTEGER::theInfo, octetsOf({0x00})},
    {"an unconstrained INTEGER of five octets", INTEGER::theInfo, octetsOf({0x05, 1, 2, 3, 4, 5})},
    {"a two-octet length without its second octet", OCTET_STRING::theInfo, octetsOf({0x80})},
    {"a fragmented length", OCTET_STRING::theInfo, octetsOf({0xC0, 0x01})},
    {"an OCTET STRING shorter than its length", OCTET_STRING::theInfo, octetsOf({0x03, 0x01, 0x02})},
    {"a BIT STRING longer than the bits left", BIT_STRING::theInfo, octetsOf({0x10, 0xFF})},
    {"a NumericString index beyond its 11 characters", NumericString::theInfo, octetsOf({0x01, 0xF0})},
    {"an IA5String block cut short", IA5String::theInfo, octetsOf({0x03, 0x61, 0x62})},
    {"OBJECT IDENTIFIER contents past the end", OBJECT_IDENTIFIER::theInfo, octetsOf({0x06, 0x2A, 0x86})},
    {"a CHOICE extension longer than what is left", Alt, octetsOf({0x80, 0x05, 0x80})},
    {"a known addition longer than what is left", Number, octetsOf({0xA1, 0x01, 0x05, 0xC0})},
    {"an unknown addition longer than what is left", Later, octetsOf({0xB0, 0x54, 0x01, 0x80, 0x03, 0xAA, 0xBB})},
    {"a type-constrained open type longer than what is left", OpenSmall, octetsOf({0x05, 0xA0})},
    {"a value running past its open type (16 bits in one octet)", OpenWord, octetsOf({0x01, 0x00, 0x05})},
    {"a BOOLEAN at the end of the input", BOOLEAN::theInfo, {}},
    {"the extension bit of a SEQUENCE at the end", Number, {}},
    {"the extension bit of an INTEGER at the end", Nibble, {}},
    {"a size extension bit at the end", Octets<ExtendableConstraint, 3, 10>, {}},
    {"a root CHOICE index 3 of 3 alternatives", Leaf, octetsOf({0xC0})},
    {"129 list elements", IntList, listOf(129)},
    {"129 extension bits: 1 011 1 | 01 80", Later, concat(octetsOf({0xB8, 0x01, 0x80}), filled(17, 0))},
    {"an extension bit count that wraps to 0", Later, octetsOf({0xB8, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x00})},
    {"a string length of 16385", Big, concat(octetsOf({0x40, 0x01}), filled(16385, 0))},
    {"a present field that has no type", Broken, octetsOf({0x40})},
};

std::vector<char> encodingOf(AbstractData const& value)
{
    std::vector<char> out;
    EXPECT_TRUE(PEREncoder::encode(value, true, out));
    return out;
}

// A chain of `depth` Nodes, each the next of the one before.
std::unique_ptr<AbstractData> chain(int depth)
{
    std::unique_ptr<AbstractData> head(Node.create(&Node));
    SEQUENCE* node = dynamic_cast<SEQUENCE*>(head.get());
    for (int i = 1; i < depth; ++i) {
        node->includeOptionalField(0, 1);
        node = dynamic_cast<SEQUENCE*>(node->getField(1));
    }
    return head;
}

int elementsMade = 0;
AbstractData* countedInteger(AbstractData::InfoType const* info)
{
    ++elementsMade;
    return new INTEGER(static_cast<INTEGER::InfoType const*>(info));
}
INTEGER::InfoType const CountedInt = {{&countedInteger, 2}, Unconstrained, 0, 4294967295u};
SEQUENCE_OF_Base::InfoType const CountedList = {
    {{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &CountedInt};

} // namespace

TEST(PERDecoder, RefusesInputItCannotReadWithinBoundsOrLimits)
{
    for (Input const& in : refused) {
        std::unique_ptr<AbstractData> value(in.type.create(&in.type));
        EXPECT_FALSE(decodes(*value, in.wire)) << in.what;
    }
}

TEST(PERDecoder, StaysLenientWhereTheRulesAre)
{
    std::unique_ptr<AbstractData> v = make(Int<FixedConstraint, 0, 2>, nothing());
    ASSERT_TRUE(decodes(*v, octetsOf({0xC0}))) << "2 bits can carry 3";
    EXPECT_EQ(3, dynamic_cast<INTEGER&>(*v).getValue());

    v = make(BOOLEAN::theInfo, nothing());
    ASSERT_TRUE(decodes(*v, octetsOf({0x80, 0xFF, 0xFF}))) << "octets after the value are ignored";

    v = make(Gappy, nothing());
    ASSERT_TRUE(decodes(*v, octetsOf({0x78}))) << "0 1111: a root value above the maximum";
    EXPECT_EQ(15, dynamic_cast<ENUMERATED&>(*v).getValue());

    v = make(IntList, nothing());
    EXPECT_TRUE(decodes(*v, listOf(128)));
    EXPECT_EQ(128u, dynamic_cast<SEQUENCE_OF_Base&>(*v).size());

    v = make(Later, nothing());
    EXPECT_TRUE(decodes(*v, concat(octetsOf({0xB8, 0x01, 0x7F}), filled(16, 0)))) << "128 extension bits";
}

TEST(PERDecoder, SkipsExtensionsItDoesNotKnow)
{
    // 1 011 (a = 3), 3 bits follow (0 000010), map 101; b = true; an unknown
    // addition of two octets that ends exactly at the end of the input.
    std::unique_ptr<AbstractData> later = make(Later, nothing());
    ASSERT_TRUE(decodes(*later, octetsOf({0xB0, 0x54, 0x01, 0x80, 0x02, 0xAA, 0xBB})));
    std::unique_ptr<AbstractData> expected = make(Later, setFields({setInt(3), setBool(true)}));
    EXPECT_EQ(0, expected->compare(*later));

    // 1 0000010: the third extension alternative, which this schema lacks.
    std::unique_ptr<AbstractData> alt = make(Alt, nothing());
    ASSERT_TRUE(decodes(*alt, octetsOf({0x82, 0x02, 0xAA, 0xBB})));
    EXPECT_EQ(CHOICE::unknownSelection, dynamic_cast<CHOICE&>(*alt).getSelection());

    // An extension index of 0xFFFFFFFF does not wrap round to a root alternative.
    ASSERT_TRUE(decodes(*alt, octetsOf({0xC0, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00})));
    EXPECT_EQ(CHOICE::unknownSelection, dynamic_cast<CHOICE&>(*alt).getSelection());
}

TEST(PERDecoder, ExtensionBitZeroClearsAdditionsOfAnEarlierDecode)
{
    std::unique_ptr<AbstractData> number = make(Number, nothing());
    ASSERT_TRUE(decodes(*number, octetsOf({0xA1, 0x01, 0x01, 0xC0})));
    SEQUENCE& seq = dynamic_cast<SEQUENCE&>(*number);
    EXPECT_TRUE(seq.hasOptionalField(0));
    ASSERT_TRUE(decodes(*number, octetsOf({0x21})));
    EXPECT_FALSE(seq.hasOptionalField(0));
    EXPECT_EQ(hexText(octetsOf({0x21})), hexText(encodingOf(*number)));
}

TEST(PERDecoder, NeverLeavesAFieldPresentThatCouldNotBeMade)
{
    std::unique_ptr<AbstractData> value = make(Broken, nothing());
    SEQUENCE& seq = dynamic_cast<SEQUENCE&>(*value);
    EXPECT_FALSE(decodes(*value, octetsOf({0x40})));
    EXPECT_FALSE(seq.hasOptionalField(0));
    // 1 0 0000000 1: the addition b is present; skipped by its length.
    EXPECT_TRUE(decodes(*value, octetsOf({0x80, 0x40, 0x01, 0x55})));
    EXPECT_FALSE(seq.hasOptionalField(1));
}

TEST(PERDecoder, CapsTheNestingDepth)
{
    std::unique_ptr<AbstractData> shallow = chain(30);
    std::unique_ptr<AbstractData> back(Node.create(&Node));
    EXPECT_TRUE(decodes(*back, encodingOf(*shallow)));
    EXPECT_EQ(0, shallow->compare(*back));
    std::unique_ptr<AbstractData> deep = chain(200);
    std::unique_ptr<AbstractData> refused(Node.create(&Node));
    EXPECT_FALSE(decodes(*refused, encodingOf(*deep)));
}

TEST(PERDecoder, MakesListElementsOnlyAsItReadsThem)
{
    // a count of 100 followed by a single element
    std::unique_ptr<AbstractData> list = make(CountedList, nothing());
    elementsMade = 0;
    EXPECT_FALSE(decodes(*list, octetsOf({0x64, 0x01, 0x05})));
    EXPECT_EQ(2, elementsMade);
    EXPECT_EQ(1u, dynamic_cast<SEQUENCE_OF_Base&>(*list).size()) << "the element that failed is removed";
}

namespace {

struct Refusal {
    char const* what;
    AbstractData::InfoType const& type;
    Filler value;
};

std::vector<Refusal> const unwritable = {
    {"16384 octets: the general length stops at 16383", OCTET_STRING::theInfo, setOctets(filled(16384, 0))},
    {"16384 characters", IA5String::theInfo, setText(std::string(16384, 'a'))},
    {"16384 bits", BIT_STRING::theInfo, setBits(std::string(16384, '0'))},
    {"129 list elements", IntList, setList(std::vector<Filler>(129, setInt(1)))},
    {"a CHOICE without selection", Leaf, nothing()},
    {"a CHOICE with an unknown selection", Alt,
     [](AbstractData& v) { dynamic_cast<CHOICE&>(v).setSelection(CHOICE::unknownSelection, nullptr); }},
    {"a root CHOICE selection beyond its alternatives", Leaf,
     [](AbstractData& v) { dynamic_cast<CHOICE&>(v).setSelection(5, new BOOLEAN()); }},
    {"an ENUMERATED above its maximum", Abc, setEnum(3)},
    {"a negative ENUMERATED", Abc, setEnum(-1)},
    {"-128..127 holding 128", Byte, setInt(128)},
    {"0..1023 holding 1024", Slot, setInt(1024)},
    {"an IA5String character above 127", IA5String::theInfo, setText("a\xC8")},
    {"an IA5String character above 127 among the first eight", IA5String::theInfo,
     setText("abcdef\xC8hijklmnopq")},
    {"an IA5String character above 127 after two whole words", IA5String::theInfo,
     setText("abcdefghijklmnop\xFFq")},
    {"a NumericString letter", NumericString::theInfo, setText("1a")},
    {"SIZE(1..64) empty", Ia5<FixedConstraint, 1, 64>, setText("")},
    {"SIZE(1..64) with 65 characters", Ia5<FixedConstraint, 1, 64>, setText(std::string(65, 'a'))},
    {"SIZE(1) BMPString with two characters", OneBmp, setWide(L"ab")},
    {"OBJECT IDENTIFIER contents above 255 octets", OBJECT_IDENTIFIER::theInfo,
     setOid(std::vector<unsigned>(60, 0xFFFFFFFFu))},
    {"a failing component fails the whole", Options, setFields({Filler(), setInt(4096)})},
};

} // namespace

TEST(PEREncoder, RefusesWhatThePeerCouldNotReadAndDeliversNothing)
{
    for (Refusal const& r : unwritable) {
        std::unique_ptr<AbstractData> value = make(r.type, r.value);
        std::vector<char> out(1, 'x');
        EXPECT_FALSE(PEREncoder::encode(*value, true, out)) << r.what;
        EXPECT_EQ(1u, out.size()) << r.what;
    }
}

TEST(PEREncoder, WritesOnlyTheExtensionBitsTheTypeKnows)
{
    // Later with b and a third, unknown addition marked: 1 011, small 0, map 1, open type 01 80
    std::unique_ptr<AbstractData> later = make(Later, setFields({setInt(3), setBool(true)}));
    SEQUENCE& seq = dynamic_cast<SEQUENCE&>(*later);
    seq.extensionMap().resize(3);
    seq.extensionMap().set(2);
    EXPECT_EQ(hexText(octetsOf({0xB0, 0x10, 0x01, 0x80})), hexText(encodingOf(*later)));
    // Only the unknown one marked: the extension bit is 0 (0 011).
    seq.removeOptionalField(0);
    EXPECT_EQ(hexText(octetsOf({0x30})), hexText(encodingOf(*later)));
}

TEST(PERDecoder, DecodesAnOpenTypeLaterFromItsRawOctets)
{
    // OpenData keeps the octets; a later revisit decodes them as the type
    // the receiver picks (here 0..7, 101 padded).
    std::unique_ptr<AbstractData> value = make(OpenData::theInfo, nothing());
    OpenData& open = dynamic_cast<OpenData&>(*value);
    ASSERT_TRUE(decodes(open, octetsOf({0x01, 0xA0})));
    ASSERT_TRUE(open.has_buf());
    EXPECT_EQ(hexText(octetsOf({0xA0})), hexText(*open.get_buf()));

    PERDecoder decoder(nullptr, nullptr, nullptr, true);
    EXPECT_FALSE(decoder.revisit(open)) << "no contained value to decode into";
    open.set_data(std::unique_ptr<AbstractData>(make(Int<FixedConstraint, 0, 7>, nothing())));
    ASSERT_TRUE(decoder.revisit(open));
    EXPECT_EQ(5, dynamic_cast<INTEGER&>(*open.get_data()).getValue());
}
