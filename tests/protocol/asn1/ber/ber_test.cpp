// The BER coder byte for byte, both directions: the contents of every value
// class, tags in one, two and three octets and of every class, lengths in
// the short and long forms, SEQUENCE fields and CHOICE alternatives under
// their automatic tags, the places where this system departs from X.690
// (the wrapper of a CHOICE is primitive when its alternative is), what the
// decoder takes leniently, what it refuses, and round trips of random values
// of the synthetic schema. Expected octets are derived by hand beside each row.
#include "fuzz/per_fuzz_types.h"
#include "fuzz/per_random_value.h"
#include "protocol/asn1/ASN1.h"
#include "protocol/asn1/ber/BERDecoder.h"
#include "protocol/asn1/ber/BEREncoder.h"
#include "support/HexText.h"
#include "tests/protocol/asn1/ValueFillers.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>

using namespace ASN1;
using namespace ValueFillers;

namespace {

// Records of the test schema --------------------------------------------

template <ConstraintType Kind, int Lb, unsigned Ub>
INTEGER::InfoType const Int = {{&createAs<INTEGER>, 2}, Kind, Lb, Ub};
INTEGER::InfoType const& Unsigned32 = Int<FixedConstraint, 0, 4294967295u>;

char const* const abcNames[] = {"a", "b", "c", nullptr};
ENUMERATED::InfoType const Abc = {{&createAs<ENUMERATED>, 10}, false, 2, abcNames};

int const mandatory[] = {-1, -1};

// Tagged<T> ::= SEQUENCE { n NULL } with the field tagged T by a tag table.
AbstractData::InfoType const* const nullField[] = {&Null::theInfo};
template <unsigned Tag>
unsigned const tagTable[] = {Tag};
template <unsigned Tag>
SEQUENCE::InfoType const Tagged = {
    {&createAs<SEQUENCE>, 16}, false, nullField, mandatory, 1, 0, 0, nullptr, tagTable<Tag>, nullptr};
// Own ::= SEQUENCE { n NULL }, the field keeping NULL's tag.
SEQUENCE::InfoType const Own = {
    {&createAs<SEQUENCE>, 16}, false, nullField, mandatory, 1, 0, 0, nullptr, SEQUENCE::defaultTag, nullptr};

// Options ::= SEQUENCE { seq INTEGER OPTIONAL, slot INTEGER (0..1023) OPTIONAL }
AbstractData::InfoType const* const optionsFields[] = {&INTEGER::theInfo, &Int<FixedConstraint, 0, 1023>};
int const optionsIds[] = {0, 1};
SEQUENCE::InfoType const Options = {
    {&createAs<SEQUENCE>, 16}, false, optionsFields, optionsIds, 2, 0, 2, nullptr, nullptr, nullptr};

// Pair ::= SEQUENCE { a INTEGER, b BOOLEAN }
AbstractData::InfoType const* const pairFields[] = {&INTEGER::theInfo, &BOOLEAN::theInfo};
SEQUENCE::InfoType const Pair = {{&createAs<SEQUENCE>, 16}, false, pairFields, mandatory, 2, 0, 0, nullptr, nullptr, nullptr};

// Later ::= SEQUENCE { a INTEGER (0..7), ..., b BOOLEAN }
AbstractData::InfoType const* const laterFields[] = {&Int<FixedConstraint, 0, 7>, &BOOLEAN::theInfo};
int const laterIds[] = {-1, 0};
SEQUENCE::InfoType const Later = {
    {&createAs<SEQUENCE>, 16}, true, laterFields, laterIds, 1, 1, 0, nullptr, nullptr, nullptr};

// Blob ::= SEQUENCE { data OCTET STRING }
AbstractData::InfoType const* const blobFields[] = {&OCTET_STRING::theInfo};
SEQUENCE::InfoType const Blob = {{&createAs<SEQUENCE>, 16}, false, blobFields, mandatory, 1, 0, 0, nullptr, nullptr, nullptr};

// Node ::= SEQUENCE { value INTEGER (0..255), next Node OPTIONAL, kids SEQUENCE OF Node }
extern SEQUENCE::InfoType const Node;
SEQUENCE_OF_Base::InfoType const NodeList = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &Node};
AbstractData::InfoType const* const nodeFields[] = {&Int<FixedConstraint, 0, 255>, &Node, &NodeList};
int const nodeIds[] = {-1, 0, -1};
SEQUENCE::InfoType const Node = {{&createAs<SEQUENCE>, 16}, false, nodeFields, nodeIds, 3, 0, 1, nullptr, nullptr, nullptr};

SEQUENCE_OF_Base::InfoType const IntList = {
    {{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &INTEGER::theInfo};
SEQUENCE_OF_Base::InfoType const IntSet = {
    {{&createAs<SEQUENCE_OF_Base>, 17}, Unconstrained, 0, 4294967295u}, &INTEGER::theInfo};

// Leaf ::= CHOICE { none NULL, flag BOOLEAN, num INTEGER (0..2) }
AbstractData::InfoType const* const leafAlternatives[] = {&Null::theInfo, &BOOLEAN::theInfo, &Int<FixedConstraint, 0, 2>};
CHOICE::InfoType const Leaf = {{&createAs<CHOICE>, 0}, false, leafAlternatives, 3, 3, nullptr, nullptr};
// Alt ::= CHOICE { a INTEGER, b OCTET STRING, c NULL, ..., d BOOLEAN, e Leaf }
AbstractData::InfoType const* const altAlternatives[] = {
    &INTEGER::theInfo, &OCTET_STRING::theInfo, &Null::theInfo, &BOOLEAN::theInfo, &Leaf};
CHOICE::InfoType const Alt = {{&createAs<CHOICE>, 0}, true, altAlternatives, 3, 5, nullptr, nullptr};
// Mixed ::= CHOICE { num INTEGER, opts Options }
AbstractData::InfoType const* const mixedAlternatives[] = {&INTEGER::theInfo, &Options};
CHOICE::InfoType const Mixed = {{&createAs<CHOICE>, 0}, false, mixedAlternatives, 2, 2, nullptr, nullptr};
// Wrapped ::= SEQUENCE { flag BOOLEAN, choice Mixed }
AbstractData::InfoType const* const wrappedFields[] = {&BOOLEAN::theInfo, &Mixed};
SEQUENCE::InfoType const Wrapped = {
    {&createAs<SEQUENCE>, 16}, false, wrappedFields, mandatory, 2, 0, 0, nullptr, nullptr, nullptr};
// Outer ::= CHOICE { inner Leaf, n INTEGER }
AbstractData::InfoType const* const outerAlternatives[] = {&Leaf, &INTEGER::theInfo};
CHOICE::InfoType const Outer = {{&createAs<CHOICE>, 0}, false, outerAlternatives, 2, 2, nullptr, nullptr};
// Listed ::= CHOICE { inner Leaf, n INTEGER } with the tags [APPLICATION 9] and [APPLICATION 10]
unsigned const listedTags[] = {0x400009, 0x40000A};
CHOICE::InfoType const Listed = {{&createAs<CHOICE>, 0}, false, outerAlternatives, 2, 2, listedTags, nullptr};
// Loose ::= SEQUENCE { choice Leaf OPTIONAL, n INTEGER }, each field under its own tag
AbstractData::InfoType const* const looseFields[] = {&Leaf, &INTEGER::theInfo};
int const looseIds[] = {0, -1};
SEQUENCE::InfoType const Loose = {
    {&createAs<SEQUENCE>, 16}, false, looseFields, looseIds, 2, 0, 1, nullptr, SEQUENCE::defaultTag, nullptr};

// Plain ::= SEQUENCE { a INTEGER, b Leaf, c SEQUENCE OF INTEGER }, tagged
// UNIVERSAL 2, untagged and UNIVERSAL 16 by its table
AbstractData::InfoType const* const plainFields[] = {&INTEGER::theInfo, &Leaf, &IntList};
int const plainIds[] = {-1, -1, -1};
unsigned const plainTags[] = {2, 0, 16};
SEQUENCE::InfoType const Plain = {
    {&createAs<SEQUENCE>, 16}, false, plainFields, plainIds, 3, 0, 0, nullptr, plainTags, nullptr};

TypeConstrainedOpenData::InfoType const OpenSmall = {{&createAs<TypeConstrainedOpenData>, 0}, &Int<FixedConstraint, 0, 7>};
// Carrier ::= SEQUENCE { open OpenSmall, raw OpenType }
AbstractData::InfoType const* const carrierFields[] = {&OpenSmall, &OpenData::theInfo};
SEQUENCE::InfoType const Carrier = {
    {&createAs<SEQUENCE>, 16}, false, carrierFields, mandatory, 2, 0, 0, nullptr, nullptr, nullptr};

Filler setTime(GeneralizedTime const& time)
{
    return [time](AbstractData& v) { dynamic_cast<GeneralizedTime&>(v) = time; };
}

std::string hex(std::vector<char> const& data) { return hexText(data); }
std::vector<char> unhex(std::string const& text) { return bytes_of<char>(text); }

bool encode(AbstractData const& value, std::vector<char>& out)
{
    CoderEnv env(CoderEnv::ber);
    out.clear();
    return env.encode(value, std::back_inserter(out));
}

bool decode(std::vector<char> const& in, AbstractData& value)
{
    CoderEnv env(CoderEnv::ber);
    return env.decode(in.data(), in.data() + in.size(), value, true);
}

struct Row {
    char const* what;
    AbstractData::InfoType const& info;
    Filler fill;
    char const* octets;
};

void expectBothWays(Row const& row)
{
    std::unique_ptr<AbstractData> value = make(row.info, row.fill);
    std::vector<char> out;
    ASSERT_TRUE(encode(*value, out)) << row.what;
    EXPECT_EQ(row.octets, hex(out)) << row.what;
    EXPECT_EQ(out.size(), getObjectLength(*value, BER::noTag)) << row.what;
    std::unique_ptr<AbstractData> back(row.info.create(&row.info));
    std::vector<char> const in = unhex(row.octets);
    ASSERT_TRUE(decode(in, *back)) << row.what;
    EXPECT_EQ(0, back->compare(*value)) << row.what << ": " << back->asValueNotation();
}

TEST(BERVectors, EachValueClassHasItsContents)
{
    Row const rows[] = {
        {"NULL", Null::theInfo, nothing(), "05 00"},
        {"TRUE", BOOLEAN::theInfo, setBool(true), "01 01 FF"},
        {"FALSE", BOOLEAN::theInfo, setBool(false), "01 01 00"},
        {"0", INTEGER::theInfo, setInt(0), "02 01 00"},
        {"127", INTEGER::theInfo, setInt(127), "02 01 7F"},
        {"128", INTEGER::theInfo, setInt(128), "02 02 00 80"},
        {"-1", INTEGER::theInfo, setInt(-1), "02 01 FF"},
        {"-128", INTEGER::theInfo, setInt(-128), "02 01 80"},
        {"-129", INTEGER::theInfo, setInt(-129), "02 02 FF 7F"},
        {"65536", INTEGER::theInfo, setInt(65536), "02 03 01 00 00"},
        {"largest int", INTEGER::theInfo, setInt(INT_MAX), "02 04 7F FF FF FF"},
        {"smallest int", INTEGER::theInfo, setInt(INT_MIN), "02 04 80 00 00 00"},
        // 0..4294967295 holds its upper half as negative ints: written as
        // the unsigned numbers they stand for.
        {"255 of 0..2^32-1", Unsigned32, setInt(255), "02 02 00 FF"},
        {"2^31 of 0..2^32-1", Unsigned32, setInt(INT_MIN), "02 05 00 80 00 00 00"},
        {"2^32-1 of 0..2^32-1", Unsigned32, setInt(-1), "02 05 00 FF FF FF FF"},
        {"-1 outside 0..15, ...", Int<ExtendableConstraint, 0, 15>, setInt(-1), "02 01 FF"},
        {"-1 above a lower bound of 0", Int<PartiallyConstrained, 0, 0>, setInt(-1), "02 01 FF"},
        {"ENUMERATED 2", Abc, setEnum(2), "0A 01 02"},
        {"ENUMERATED -1", Abc, setEnum(-1), "0A 01 FF"},
        {"BIT STRING of 8 bits", BIT_STRING::theInfo, setBits("10110011"), "03 02 00 B3"},
        {"BIT STRING of 0 bits", BIT_STRING::theInfo, setBits(""), "03 01 00"},
        {"BIT STRING of 12 bits", BIT_STRING::theInfo, setBits("101010111100"), "03 03 04 AB C0"},
        {"OCTET STRING", OCTET_STRING::theInfo, setOctets({1, 2, 3}), "04 03 01 02 03"},
        {"empty OCTET STRING", OCTET_STRING::theInfo, setOctets({}), "04 00"},
        {"IA5String", IA5String::theInfo, setText("hi"), "16 02 68 69"},
        {"PrintableString", PrintableString::theInfo, setText("A"), "13 01 41"},
        {"NumericString", NumericString::theInfo, setText("12"), "12 02 31 32"},
        {"VisibleString", VisibleString::theInfo, setText("~"), "1A 01 7E"},
        {"GeneralString", GeneralString::theInfo, setText("\xE9"), "1B 01 E9"},
        {"BMPString", BMPString::theInfo, setWide(L"A\u20AC"), "1E 04 00 41 20 AC"},
        // 1.2 is 42; 840 and 113549 in base 128.
        {"OBJECT IDENTIFIER", OBJECT_IDENTIFIER::theInfo, setOid({1, 2, 840, 113549}), "06 06 2A 86 48 86 F7 0D"},
        {"OBJECT IDENTIFIER under 2", OBJECT_IDENTIFIER::theInfo, setOid({2, 100, 3}), "06 03 81 34 03"},
        {"GeneralizedTime", GeneralizedTime::theInfo, setTime(GeneralizedTime(2024, 1, 2, 3, 4, 5, 250, 0, true)),
         "18 13 32 30 32 34 30 31 30 32 30 33 30 34 30 35 2E 32 35 30 5A"},
    };
    for (Row const& row : rows)
        expectBothWays(row);
}

TEST(BERVectors, TagsOfEveryClassAndSize)
{
    Row const rows[] = {
        {"[30]", Tagged<BER::contextTag + 30>, nothing(), "30 02 9E 00"},
        {"[31]", Tagged<BER::contextTag + 31>, nothing(), "30 03 9F 1F 00"},
        {"[127]", Tagged<BER::contextTag + 127>, nothing(), "30 03 9F 7F 00"},
        {"[128]", Tagged<BER::contextTag + 128>, nothing(), "30 04 9F 81 00 00"},
        {"[200]", Tagged<BER::contextTag + 200>, nothing(), "30 04 9F 81 48 00"},
        {"[APPLICATION 3]", Tagged<0x400003>, nothing(), "30 02 43 00"},
        {"[PRIVATE 40]", Tagged<0xC00028>, nothing(), "30 03 DF 28 00"},
        {"[UNIVERSAL 5] by the default-tag table", Own, nothing(), "30 02 05 00"},
    };
    for (Row const& row : rows)
        expectBothWays(row);
}

TEST(BERVectors, LengthsInTheShortAndLongFormsAreCountedByTheEnclosingSequence)
{
    struct Case {
        std::size_t size;
        char const* lengthField;
        char const* sequenceHeader;
    };
    Case const cases[] = {
        {0, "00", "30 02"},
        {127, "7F", "30 81 81"},
        {128, "81 80", "30 81 83"},
        {255, "81 FF", "30 82 01 02"},
        {256, "82 01 00", "30 82 01 04"},
        {65536, "83 01 00 00", "30 83 01 00 05"},
    };
    for (Case const& c : cases) {
        std::unique_ptr<AbstractData> blob = make(Blob, setFields({setOctets(std::vector<char>(c.size, 'x'))}));
        std::vector<char> out;
        ASSERT_TRUE(encode(*blob, out)) << c.size;
        std::string const header = std::string(c.sequenceHeader) + " 80 " + c.lengthField;
        EXPECT_EQ(header, hex(std::vector<char>(out.begin(), out.begin() + unhex(header).size()))) << c.size;
        EXPECT_EQ(out.size(), unhex(header).size() + c.size) << c.size;
        EXPECT_EQ(out.size(), getObjectLength(*blob, BER::noTag)) << c.size;
        EXPECT_EQ(out.size() - unhex(c.sequenceHeader).size(), getDataLength(*blob)) << c.size;
        // The decoder takes strings up to its size limit.
        std::unique_ptr<AbstractData> back(Blob.create(&Blob));
        ASSERT_EQ(c.size <= MaximumStringSize, decode(out, *back)) << c.size;
        if (c.size <= MaximumStringSize) {
            EXPECT_EQ(0, back->compare(*blob)) << c.size;
        }
    }
    EXPECT_EQ(1u, getIntegerDataLength(-128));
    EXPECT_EQ(2u, getIntegerDataLength(-129));
    EXPECT_EQ(3u, getIntegerDataLength(0x7FFFFF));
    EXPECT_EQ(4u, getIntegerDataLength(0x800000));
}

TEST(BERVectors, FieldsAndAlternativesUnderTheirAutomaticTags)
{
    Row const rows[] = {
        {"no OPTIONAL field", Options, setFields({}), "30 00"},
        {"the second OPTIONAL field", Options, setFields({nullptr, setInt(5)}), "30 03 81 01 05"},
        {"both OPTIONAL fields", Options, setFields({setInt(7), setInt(5)}), "30 06 80 01 07 81 01 05"},
        {"an extension addition", Later, setFields({setInt(3), setBool(true)}), "30 06 80 01 03 81 01 FF"},
        {"SEQUENCE OF", IntList, setList({setInt(1), setInt(-1)}), "30 06 02 01 01 02 01 FF"},
        {"SET OF", IntSet, setList({setInt(1)}), "31 03 02 01 01"},
        {"a SEQUENCE OF a SEQUENCE in a SEQUENCE", Node,
         setFields({setInt(1), nullptr, setList({setFields({setInt(2)})})}),
         "30 0C 80 01 01 A2 07 30 05 80 01 02 A2 00"},
        // An untagged CHOICE has no header of its own.
        {"a CHOICE", Leaf, setChoice(1, setBool(true)), "81 01 FF"},
        {"an extension alternative", Alt, setChoice(3, setBool(true)), "83 01 FF"},
        // In a tagged place the CHOICE is wrapped in that tag: constructed
        // when the alternative is, as in X.690 ...
        {"a CHOICE field holding a SEQUENCE", Wrapped, setFields({setBool(true), setChoice(1, setFields({nullptr, setInt(5)}))}),
         "30 0A 80 01 FF A1 05 A1 03 81 01 05"},
        // ... and, unlike X.690 (A1), primitive when the alternative is.
        {"a CHOICE field holding an INTEGER", Wrapped, setFields({setBool(true), setChoice(0, setInt(5))}),
         "30 08 80 01 FF 81 03 80 01 05"},
        {"a CHOICE alternative that is a CHOICE", Outer, setChoice(0, setChoice(2, setInt(2))), "80 03 82 01 02"},
        {"a CHOICE by its tag table", Listed, setChoice(1, setInt(-1)), "4A 01 FF"},
        {"an untagged CHOICE field", Loose, setFields({setChoice(1, setBool(false)), setInt(4)}), "30 06 81 01 00 02 01 04"},
        {"an untagged CHOICE field left out", Loose, setFields({nullptr, setInt(4)}), "30 03 02 01 04"},
        {"fields under a tag table", Plain, setFields({setInt(5), setChoice(1, setBool(true)), setList({setInt(1)})}),
         "30 0B 02 01 05 81 01 FF 30 03 02 01 01"},
        // An open type holds the complete encoding of its value, primitive
        // when the value is; its undecoded octets are constructed.
        {"open types", Carrier, setFields({setContained(setInt(6)), setOpenBuffer({1, 2})}),
         "30 09 80 03 02 01 06 A1 02 01 02"},
    };
    for (Row const& row : rows)
        expectBothWays(row);
}

struct DecodeRow {
    char const* what;
    AbstractData::InfoType const& info;
    char const* octets;
    Filler expected;
};

TEST(BERDecoding, TakesWhatTheRulesLeaveOpen)
{
    DecodeRow const rows[] = {
        {"X.690's constructed wrapper of a primitive alternative", Wrapped, "30 08 80 01 FF A1 03 80 01 05",
         setFields({setBool(true), setChoice(0, setInt(5))})},
        {"a BOOLEAN of 01", BOOLEAN::theInfo, "01 01 01", setBool(true)},
        {"a mandatory field under another tag keeps its value", Pair, "30 03 81 01 FF", setFields({setInt(0), setBool(true)})},
        {"unknown additions are skipped", Later, "30 09 80 01 03 81 01 FF 82 01 00", setFields({setInt(3), setBool(true)})},
        {"octets after the value are ignored", INTEGER::theInfo, "02 01 05 FF FF", setInt(5)},
        {"the pad bits of a BIT STRING are cleared", BIT_STRING::theInfo, "03 02 04 FF", setBits("1111")},
        {"a tag the table lacks is looked up in an untagged first alternative", Listed, "81 01 FF",
         setChoice(0, setChoice(1, setBool(true)))},
        {"a failing untagged OPTIONAL field is left out", Loose, "30 03 02 01 04", setFields({nullptr, setInt(4)})},
    };
    for (DecodeRow const& row : rows) {
        std::unique_ptr<AbstractData> back(row.info.create(&row.info));
        ASSERT_TRUE(decode(unhex(row.octets), *back)) << row.what;
        EXPECT_EQ(0, back->compare(*make(row.info, row.expected))) << row.what << ": " << back->asValueNotation();
    }
    // Neither the table nor the first alternative knows [5]: an alternative
    // outside the schema, skipped.
    CHOICE unknown(&Listed);
    ASSERT_TRUE(decode(unhex("85 01 00"), unknown));
    EXPECT_EQ(CHOICE::unknownSelection, unknown.getSelection());
}

std::vector<char> repeated(std::string const& head, std::string const& element, int count)
{
    std::vector<char> out = unhex(head);
    std::vector<char> const one = unhex(element);
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), one.begin(), one.end());
    return out;
}

TEST(BERDecoding, RefusesMalformedInputWithoutReadingPastIt)
{
    std::vector<char> tooManyBits = repeated("03 82 08 02 00", "FF", 2049); // 16392 bits
    std::vector<char> tooManyElements = repeated("30 82 01 83", "02 01 00", 129);
    struct Case {
        char const* what;
        AbstractData::InfoType const& info;
        std::vector<char> octets;
    };
    Case const cases[] = {
        {"no input", OCTET_STRING::theInfo, {}},
        {"an identifier alone", OCTET_STRING::theInfo, unhex("04")},
        {"another tag", OCTET_STRING::theInfo, unhex("05 00")},
        {"contents past the end", OCTET_STRING::theInfo, unhex("04 05 01 02")},
        {"the indefinite form", OCTET_STRING::theInfo, unhex("04 80 01 02 00 00")},
        {"a length in five octets", OCTET_STRING::theInfo, unhex("04 85 00 00 00 00 01 00")},
        {"a length past any input", OCTET_STRING::theInfo, unhex("04 84 FF FF FF FF 00")},
        {"length octets cut short", OCTET_STRING::theInfo, unhex("04 82 01")},
        {"a high tag number cut short", Tagged<BER::contextTag + 128>, unhex("30 02 9F 81")},
        {"a tag number beyond 16 bits", Tagged<BER::contextTag + 128>, unhex("30 06 9F 84 80 80 00 00")},
        {"an empty INTEGER", INTEGER::theInfo, unhex("02 00")},
        {"a signed INTEGER in five octets", INTEGER::theInfo, unhex("02 05 00 FF FF FF FF")},
        {"an unsigned INTEGER beyond 32 bits", Unsigned32, unhex("02 05 01 00 00 00 00")},
        {"an empty ENUMERATED", Abc, unhex("0A 00")},
        {"an empty BIT STRING", BIT_STRING::theInfo, unhex("03 00")},
        {"8 unused bits", BIT_STRING::theInfo, unhex("03 02 08 00")},
        {"unused bits without an octet", BIT_STRING::theInfo, unhex("03 01 03")},
        {"a BIT STRING above the size limit", BIT_STRING::theInfo, tooManyBits},
        {"a BMPString of an odd length", BMPString::theInfo, unhex("1E 03 00 41 00")},
        {"a SEQUENCE past the end", Options, unhex("30 05 80 01 01")},
        {"a field past its SEQUENCE", Options, unhex("30 03 80 02 01 01")},
        {"a missing mandatory field", Pair, unhex("30 03 80 01 01")},
        {"a mandatory field in a SEQUENCE header alone", Pair, unhex("30 00")},
        {"a CHOICE wrapper past the end", Wrapped, unhex("30 08 80 01 FF 81 09 80 01 05")},
        {"an alternative past its wrapper", Wrapped, unhex("30 07 80 01 FF 81 02 80 01 05")},
        {"an alternative of no tag", Leaf, unhex("85 01 00")},
        {"an alternative of another class", Leaf, unhex("01 01 FF")},
        {"an unknown alternative", Alt, unhex("87 01 00")},
        // The skipped tag check of a field is used up by the field's own
        // header even when its tag matches: the first element is checked.
        {"a BOOLEAN in a SEQUENCE OF INTEGER", Plain, unhex("30 0B 02 01 05 81 01 FF 30 03 01 01 FF")},
        {"more elements than the limit", IntList, tooManyElements},
        {"an open type past the end", Carrier, unhex("30 09 80 03 02 01 06 A1 04 01 02")},
    };
    for (Case const& c : cases) {
        std::unique_ptr<AbstractData> value(c.info.create(&c.info));
        EXPECT_FALSE(decode(c.octets, *value)) << c.what;
    }
    // The limits themselves are taken.
    BIT_STRING bits;
    EXPECT_TRUE(decode(repeated("03 82 08 01 00", "FF", 2048), bits));
    EXPECT_EQ(16384u, bits.size());
    SEQUENCE_OF_Base list(&IntList);
    EXPECT_TRUE(decode(repeated("30 82 01 80", "02 01 00", 128), list));
    EXPECT_EQ(128u, list.size());
}

TEST(BERDecoding, NestingBeyondTheLimitFailsWithoutExhaustingTheStack)
{
    for (int depth : {10, 200}) {
        Filler fill = setFields({setInt(0)});
        for (int i = 0; i < depth; ++i)
            fill = setFields({setInt(i % 256), fill});
        std::vector<char> out;
        ASSERT_TRUE(encode(*make(Node, fill), out));
        SEQUENCE back(&Node);
        EXPECT_EQ(depth < MaximumNestingDepth, decode(out, back)) << depth;
    }
}

TEST(BEREncoding, RefusesWhatCannotBeReadBack)
{
    std::vector<char> out;
    EXPECT_FALSE(encode(CHOICE(&Leaf), out)) << "nothing selected";
    EXPECT_FALSE(encode(*make(Carrier, setFields({setContained(setInt(1))})), out)) << "an open type of nothing";
    EXPECT_FALSE(encode(*make(BMPString::theInfo, setWide(std::wstring(1, wchar_t(0x10000)))), out))
        << "a character beyond 16 bits";
    EXPECT_TRUE(out.empty());
}

TEST(BERRoundTrip, RandomValuesOfTheSyntheticSchema)
{
    std::mt19937 random(4711);
    for (int i = 0; i < 300; ++i) {
        SEQUENCE value(&PerFuzz::Fuzz_info);
        PerFuzz::fillRandom(value, random);
        std::vector<char> out;
        ASSERT_TRUE(BEREncoder::encode(value, out)) << i;
        EXPECT_EQ(out.size(), getObjectLength(value, BER::noTag)) << i;
        SEQUENCE back(&PerFuzz::Fuzz_info);
        ASSERT_TRUE(BERDecoder::decode(nullptr, out.data(), out.data() + out.size(), back)) << i << ": " << hex(out);
        EXPECT_EQ(0, back.compare(value)) << i << ": " << hex(out);
        std::vector<char> again;
        ASSERT_TRUE(BEREncoder::encode(back, again)) << i;
        EXPECT_EQ(hex(out), hex(again)) << i;
    }
}

} // namespace
