#include "protocol/asn1/notation/ValueNotation.h"
#include "tests/protocol/asn1/TestTypes.h"

#include <gtest/gtest.h>

#include <functional>
#include <iomanip>
#include <iterator>
#include <sstream>

using namespace ASN1;
using Demo::Body;
using Demo::Colour;
using Demo::Dtmf;
using Demo::Everything;
using Demo::Message;
using Demo::Tone;

namespace {

// Node ::= SEQUENCE { next Node OPTIONAL }: a type that nests as deep as
// its values do.
class Node : public SEQUENCE {
public:
    Node() : SEQUENCE(&theInfo) {}
    static InfoType const theInfo;
    static AbstractData::InfoType const* const fieldInfos[];
    static int const fieldIds[];
    static char const* const fieldNames[];
};

AbstractData::InfoType const* const Node::fieldInfos[] = {&Node::theInfo};
int const Node::fieldIds[] = {0};
char const* const Node::fieldNames[] = {"next"};
SEQUENCE::InfoType const Node::theInfo = {
    {&createAs<Node>, 16}, false, fieldInfos, fieldIds, 1, 0, 1, nullptr, nullptr, fieldNames};

void chain(Node& node, int levels)
{
    Node* at = &node;
    for (int i = 0; i < levels; ++i) {
        at->includeOptionalField(0, 0);
        at = boost::polymorphic_downcast<Node*>(at->getField(0));
    }
}

Dtmf twoTones()
{
    Dtmf dtmf;
    dtmf.ref_digits().push_back(Tone(941, 1336));
    dtmf.ref_digits().push_back(Tone(697, 1209));
    dtmf.set_amp1(-10);
    return dtmf;
}

template <class T>
T& selectIn(Body& body, int selection)
{
    body.select(selection);
    return *boost::polymorphic_downcast<T*>(body.getValue());
}

std::string everythingText()
{
    return "{\n"
           "  null NULL,\n"
           "  flag TRUE,\n"
           "  number -42,\n"
           "  level normal,\n"
           "  colour ef,\n"
           "  oid { 1 2 840 113549 },\n"
           "  bits '10000000001'B,\n"
           "  octets '00 1a ff'H,\n"
           "  text \"say \\\"hi\\\"\\tthen\\\\leave\",\n"
           "  printable \"Board 7\",\n"
           "  wide {{ 0, 0, 0, 99}, { 0, 0, 0, 97}, { 0, 0, 0, 102}, { 0, 0, 0, 233}},\n"
           "  time \"20240102030405.009-0130\",\n"
           "  body error : blue,\n"
           "  tones {\n"
           "    {\n"
           "      freq1 941,\n"
           "      freq2 1336\n"
           "    },\n"
           "    {\n"
           "      freq1 697,\n"
           "      freq2 1209\n"
           "    }\n"
           "  },\n"
           "  masks {\n"
           "    green\n"
           "  },\n"
           "  open '01 80'H,\n"
           "  typed-open 7\n"
           "}";
}

} // namespace

TEST(Printer, ScalarsPrintOnOneLine)
{
    typedef Constrained_INTEGER<FixedConstraint, 0, 1023> Slot;
    typedef Constrained_INTEGER<FixedConstraint, -128, 127> Signed8;
    OBJECT_IDENTIFIER oid;
    oid.arcs() = {1, 2, 840};
    BIT_STRING bits;
    bits.resize(3);
    bits.set(0);
    bits.set(2);
    // A coder may leave the bytes short of the count: the bits beyond them are 0.
    BIT_STRING shortBytes;
    shortBytes.resize(12);
    shortBytes.bytes().clear();
    Body error;
    selectIn<Colour>(error, Body::error).setValue(Colour::green);
    Body name;
    selectIn<IA5String>(name, Body::name) = "abc";
    IntegerWithNamedNumber named(10, &Demo::Level_info);
    IntegerWithNamedNumber unnamed(11, &Demo::Level_info);
    Colour outside;
    outside.setValue(47);
    OpenData raw;
    raw.make_buf() = {'\x0f'};

    struct Case { char const* expected; AbstractData const& value; };
    Case const cases[] = {
        {"NULL", Null()},
        {"FALSE", BOOLEAN()},
        {"-7", INTEGER(-7, &INTEGER::theInfo)},
        {"4294967295", Slot(static_cast<unsigned>(-1))},
        {"-1", Signed8(-1)},
        {"normal", named},
        {"11", unnamed},
        {"ef", Colour(Colour::ef)},
        {"47", outside},
        {"{ 1 2 840 }", oid},
        {"{ }", OBJECT_IDENTIFIER()},
        {"'00 1a ff'H", OCTET_STRING(std::vector<char>{'\x00', '\x1a', '\xff'})},
        {"''H", OCTET_STRING()},
        {"'101'B", bits},
        {"'000000000000'B", shortBytes},
        {"\"plain text\"", IA5String("plain text")},
        {"\"line\\nforged: \\x1b[2J\\x7f\"", IA5String("line\nforged: \x1b[2J\x7f")},
        {"\"wide\"", BMPString(L"wide")},
        {"{{ 0, 0, 4, 16}}", BMPString(L"\u0410")},
        {"\"20240102030405Z\"", GeneralizedTime("20240102030405Z")},
        {"error : green", error},
        {"name : \"abc\"", name},
        {"'0f'H", raw},
    };
    for (Case const& c : cases)
        EXPECT_EQ(c.expected, c.value.asValueNotation());
}

TEST(Printer, StructuresBreakLinesWithTwoBlankIndentation)
{
    EXPECT_EQ("{\n"
              "  digits {\n"
              "    {\n"
              "      freq1 941,\n"
              "      freq2 1336\n"
              "    },\n"
              "    {\n"
              "      freq1 697,\n"
              "      freq2 1209\n"
              "    }\n"
              "  },\n"
              "  amp1 -10\n"
              "}",
              twoTones().asValueNotation());

    Message answer;
    answer.set_seq(7);
    answer.set_slot(12);
    selectIn<Colour>(answer.ref_body(), Body::error).setValue(Colour::blue);
    EXPECT_EQ("{\n  seq 7,\n  slot 12,\n  body error : blue\n}", answer.asValueNotation());

    Message command;
    command.set_seq(3);
    selectIn<Dtmf>(command.ref_body(), Body::dtmf);
    EXPECT_EQ("{\n  seq 3,\n  body dtmf : {\n    digits {\n    }\n  }\n}", command.asValueNotation());

    Message bodyOnly;
    selectIn<Null>(bodyOnly.ref_body(), Body::ping);
    bodyOnly.set_flag(false);
    bodyOnly.set_note("n");
    EXPECT_EQ("{\n  body ping : NULL,\n  flag FALSE,\n  note \"n\"\n}", bodyOnly.asValueNotation());

    EXPECT_EQ("{\n}", Demo::Empty().asValueNotation());
    EXPECT_EQ("{\n}", SEQUENCE_OF<Tone>().asValueNotation());

    Everything everything;
    Demo::fill(everything);
    EXPECT_EQ(everythingText(), everything.asValueNotation());
}

TEST(Printer, ValuesWithoutTextPrintPlaceholdersAndKeepTheStreamGood)
{
    Demo::ValuesWithoutText const without;
    struct Case { AbstractData const& value; char const* fragment; };
    Case const cases[] = {
        {without.unselected, "  body <no selection>\n}"},
        {without.unknown, "  body <unknown selection>\n}"},
        {without.emptyOpen, "  open <empty open type>,\n  typed-open 0\n}"},
    };
    for (Case const& c : cases) {
        std::ostringstream log;
        log << c.value << "|next line";
        EXPECT_TRUE(log.good());
        std::string text = log.str();
        EXPECT_NE(std::string::npos, text.find(c.fragment)) << text;
        EXPECT_NE(std::string::npos, text.find("}|next line")) << text;
    }

    Node deep;
    chain(deep, MaximumNestingDepth + 5);
    std::string text = deep.asValueNotation();
    EXPECT_NE(std::string::npos, text.find("next <nested too deep>")) << text;
    EXPECT_EQ(std::string::npos, text.find("<nested too deep> {"));
}

TEST(Printer, LeavesTheCallersStreamStateAlone)
{
    std::ostringstream failed;
    failed.setstate(std::ios_base::failbit);
    failed << twoTones();
    EXPECT_EQ(std::ios_base::failbit, failed.rdstate());
    EXPECT_EQ("", failed.str());

    std::ostringstream log;
    log << std::hex << std::setfill('*');
    std::ios_base::fmtflags flags = log.flags();
    log << OCTET_STRING(2, '\xab') << ' ' << INTEGER(255, &INTEGER::theInfo) << ' ' << 255;
    EXPECT_EQ("'ab ab'H 255 ff", log.str()) << "values are decimal; the caller's own output keeps its format";
    EXPECT_EQ(flags, log.flags());
    EXPECT_EQ('*', log.fill());

    std::ostringstream aligned;
    aligned << std::setw(8) << Null() << 1;
    EXPECT_EQ("NULL1", aligned.str()) << "a value uses up the field width like any inserted item";
}

TEST(Reader, AcceptsTheNotationOfEachKind)
{
    struct Case {
        char const* text;
        std::function<AbstractData*()> make;
        bool ok;
        char const* printed; // the value printed back after a successful read
    };
    auto integer = [] { return new INTEGER(); };
    auto octets = [] { return new OCTET_STRING(); };
    auto bits = [] { return new BIT_STRING(); };
    auto colour = [] { return new Colour(); };
    auto message = [] { return new Message(); };
    typedef Constrained_INTEGER<FixedConstraint, 0, 4294967295u> Unsigned32;
    Case const cases[] = {
        {"N U L L", [] { return new Null(); }, true, "NULL"},
        {"NULLX", [] { return new Null(); }, false, nullptr},
        {"TRUE", [] { return new BOOLEAN(); }, true, "TRUE"},
        {"True", [] { return new BOOLEAN(); }, false, nullptr},
        {" -2147483648", integer, true, "-2147483648"},
        {"2147483648", integer, false, nullptr},
        {"4294967295", [] { return new Unsigned32(); }, true, "4294967295"},
        {"-1", [] { return new Unsigned32(); }, false, nullptr},
        {"x", integer, false, nullptr},
        {"max", [] { return new IntegerWithNamedNumber(&Demo::Level_info); }, true, "max"},
        {"-3", [] { return new IntegerWithNamedNumber(&Demo::Level_info); }, true, "-3"},
        {"green", colour, true, "green"},
        {"ef", colour, true, "ef"},
        {"47", colour, true, "47"},
        {"purple", colour, false, nullptr},
        {"{ 1 2 iso(3) 4 }", [] { return new OBJECT_IDENTIFIER(); }, true, "{ 1 2 3 4 }"},
        {"{ 1 iso(2 }", [] { return new OBJECT_IDENTIFIER(); }, false, nullptr},
        {"'1 0 1'B", bits, true, "'101'B"},
        {"'A'H", octets, true, "'a0'H"},
        {"'A'H", bits, true, "'1010'B"},
        {"'0G'H", octets, false, nullptr},
        {"'00'X", octets, false, nullptr},
        {"'00", octets, false, nullptr},
        {"\"a\\\"b\\\\c\\x41\"", [] { return new IA5String(); }, true, "\"a\\\"b\\\\cA\""},
        {"\"bad \\q\"", [] { return new IA5String(); }, false, nullptr},
        {"\"open", [] { return new IA5String(); }, false, nullptr},
        {"{{ 0, 0, 4, 16}, { 0, 0, 0, 65}}", [] { return new BMPString(); }, true, "{{ 0, 0, 4, 16}, { 0, 0, 0, 65}}"},
        {"\"20240102030405Z\"", [] { return new GeneralizedTime(); }, true, "\"20240102030405Z\""},
        {"\"2024\"", [] { return new GeneralizedTime(); }, false, nullptr},
        {"{ }", [] { return new Demo::Empty(); }, true, "{\n}"},
        {"{ x 1 }", [] { return new Demo::Empty(); }, false, nullptr},
        {"{ }", message, false, nullptr},
        {"{ body ping:NULL }", message, false, nullptr},
        {"{ body ping: NULL }", message, false, nullptr},
        {"{body ping :NULL}", message, true, "{\n  body ping : NULL\n}"},
        {"{ seq 1, body error : red, flag TRUE}", message, true, "{\n  seq 1,\n  body error : red,\n  flag TRUE\n}"},
        {"{ seq 1 }", message, false, nullptr},
        {"{ body ping : NULL, seq 1 }", message, false, nullptr},
        {"{ body ping : NULL, }", message, true, "{\n  body ping : NULL\n}"},
        {"{ body ping : NULL, flag TRUE,}", message, true, "{\n  body ping : NULL,\n  flag TRUE\n}"},
        {"{ seq 1, }", message, false, nullptr},
        {"{ body ping : NULL, },", message, false, nullptr},
        {"{ body ping : NULL,}}", message, false, nullptr},
        {"{ body ping : NULL; }", message, false, nullptr},
        {"{ body later : TRUE }", message, true, "{\n  body later : TRUE\n}"},
        {"{ body pong : NULL }", message, false, nullptr},
        {"{ digits { { freq1 1, freq2 2 } } }", [] { return new Dtmf(); }, true,
         "{\n  digits {\n    {\n      freq1 1,\n      freq2 2\n    }\n  }\n}"},
        {"{ digits { { freq1 1 } } }", [] { return new Dtmf(); }, false, nullptr},
        {"{ digits { } amp1 1 }", [] { return new Dtmf(); }, false, nullptr},
        {"{ green, ef }", [] { return new SET_OF<Colour>(); }, true, "{\n  green,\n  ef\n}"},
        {"{ green ef }", [] { return new SET_OF<Colour>(); }, false, nullptr},
        {"'ff'H", [] { return new OpenData(); }, true, "'ff'H"},
        {"5", [] { return new OpenData(); }, false, nullptr},
        {"5", [] { return new TypeConstrainedOpenData(&Demo::IntegerOpen_info); }, true, "5"},
    };
    for (Case const& c : cases) {
        std::unique_ptr<AbstractData> value(c.make());
        ASSERT_EQ(c.ok, value->setFromValueNotation(c.text)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.printed, value->asValueNotation()) << c.text;
        }
    }
}

TEST(Reader, OptionalFieldsTheTextLeavesOutBecomeAbsent)
{
    Message msg;
    msg.set_seq(9);
    msg.set_note("old");
    ASSERT_TRUE(msg.setFromValueNotation("{ slot 5, body ping : NULL }"));
    EXPECT_FALSE(msg.hasOptionalField(Message::e_seq));
    EXPECT_TRUE(msg.hasOptionalField(Message::e_slot));
    EXPECT_FALSE(msg.hasOptionalField(Message::e_note));
    EXPECT_EQ(5u, msg.get_slot().getValue());
}

TEST(Reader, LimitsNesting)
{
    Node shallow;
    chain(shallow, 10);
    Node back;
    ASSERT_TRUE(back.setFromValueNotation(shallow.asValueNotation()));
    EXPECT_EQ(0, back.compare(shallow));

    std::string deep;
    for (int i = 0; i < MaximumNestingDepth + 5; ++i)
        deep += "{ next ";
    deep += "{ }";
    for (int i = 0; i < MaximumNestingDepth + 5; ++i)
        deep += " }";
    EXPECT_FALSE(Node().setFromValueNotation(deep));
}

namespace {

// A stream that never ends: the prefix, then the unit over and over.
class EndlessText : public std::streambuf {
public:
    EndlessText(std::string prefix, std::string const& unit) : next_(std::move(prefix))
    {
        while (block_.size() < 4096)
            block_ += unit;
    }

private:
    int_type underflow() override
    {
        current_.swap(next_);
        next_ = block_;
        setg(&current_[0], &current_[0], &current_[0] + current_.size());
        return traits_type::to_int_type(current_[0]);
    }

    std::string block_;
    std::string current_;
    std::string next_;
};

} // namespace

TEST(Reader, GivesUpOnTokensLongerThanADecodeAccepts)
{
    struct Case { char const* prefix; char const* unit; std::function<AbstractData*()> make; };
    Case const cases[] = {
        {"\"", "x", [] { return new IA5String(); }},
        {"\"", "x", [] { return new BMPString(); }},
        {"'", "0 ", [] { return new OCTET_STRING(); }},
        {"'", "1", [] { return new BIT_STRING(); }},
        {"{", "{ 0, 0, 0, 65}, ", [] { return new BMPString(); }},
        {"{ ", "green, ", [] { return new SET_OF<Colour>(); }},
        {"{ ", "1 ", [] { return new OBJECT_IDENTIFIER(); }},
        {"{ ", "a", [] { return new Message(); }},
        {"", "a", [] { return new Body(); }},
        {"", "g", [] { return new Colour(); }},
    };
    for (Case const& c : cases) {
        EndlessText text(c.prefix, c.unit);
        std::istream is(&text);
        std::unique_ptr<AbstractData> value(c.make());
        is >> *value;
        EXPECT_TRUE(is.fail()) << c.prefix << c.unit;
    }

    // The largest accepted sizes still read.
    IA5String longest;
    EXPECT_TRUE(longest.setFromValueNotation('"' + std::string(MaximumStringSize, 'x') + '"'));
    EXPECT_FALSE(longest.setFromValueNotation('"' + std::string(MaximumStringSize + 1, 'x') + '"'));
    std::string octets = "'";
    for (int i = 0; i < MaximumStringSize; ++i)
        octets += "00 ";
    OCTET_STRING most;
    EXPECT_TRUE(most.setFromValueNotation(octets + "'H"));
    EXPECT_EQ(static_cast<std::size_t>(MaximumStringSize), most.size());
    EXPECT_FALSE(most.setFromValueNotation(octets + "00'H"));
    std::string list = "{ red";
    for (int i = 1; i < MaximumArraySize; ++i)
        list += ", red";
    SET_OF<Colour> full;
    EXPECT_TRUE(full.setFromValueNotation(list + " }"));
    EXPECT_EQ(static_cast<unsigned>(MaximumArraySize), full.size());
    EXPECT_FALSE(full.setFromValueNotation(list + ", red }"));
}

TEST(RoundTrip, PrintedValuesReadBackEqual)
{
    std::vector<std::unique_ptr<AbstractData>> values;
    auto everything = std::make_unique<Everything>();
    Demo::fill(*everything);
    values.push_back(std::move(everything));
    auto defaults = std::make_unique<Everything>();
    defaults->at<Body>(Everything::f_body).select(Body::ping);
    defaults->at<OpenData>(Everything::f_open).make_buf();
    values.push_back(std::move(defaults));
    auto message = std::make_unique<Message>();
    message->set_seq(-1);
    message->set_slot(1023);
    message->set_note("tab\there \"quoted\" \x01 back\\slash");
    selectIn<Dtmf>(message->ref_body(), Body::dtmf) = twoTones();
    values.push_back(std::move(message));
    auto later = std::make_unique<Message>();
    selectIn<BOOLEAN>(later->ref_body(), Body::later) = true;
    later->set_flag(true);
    values.push_back(std::move(later));
    auto wide = std::make_unique<BMPString>(std::wstring(L"a\0b", 3));
    values.push_back(std::move(wide));
    values.push_back(std::make_unique<BMPString>(L"\u20ac\u0041"));
    values.push_back(std::make_unique<GeneralizedTime>("19991231235959.5+1400"));

    for (auto const& value : values) {
        std::string text = value->asValueNotation();
        std::unique_ptr<AbstractData> fresh(value->info()->create(value->info()));
        ASSERT_TRUE(fresh->setFromValueNotation(text)) << text;
        EXPECT_EQ(0, fresh->compare(*value)) << text << "\nread back as\n" << fresh->asValueNotation();
    }
}

TEST(RoundTrip, StreamOperatorsWriteAndReadTheText)
{
    Everything original;
    Demo::fill(original);
    std::stringstream stream;
    stream << original;
    Everything extracted;
    stream >> extracted;
    EXPECT_FALSE(stream.fail());
    EXPECT_EQ(0, extracted.compare(original));

    std::istringstream garbage("{ nonsense }");
    garbage >> extracted;
    EXPECT_TRUE(garbage.fail());
}
