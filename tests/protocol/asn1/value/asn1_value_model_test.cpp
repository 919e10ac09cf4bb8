#include "tests/protocol/asn1/TestTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

using namespace ASN1;
using Demo::Body;
using Demo::Colour;
using Demo::Dtmf;
using Demo::Everything;
using Demo::Message;
using Demo::Tone;

namespace {

int sign(int n) { return (n > 0) - (n < 0); }

} // namespace

TEST(Sequence, ConstructionMakesMandatoryFieldsAndEmptyMaps)
{
    Message msg;
    EXPECT_EQ(5u, msg.fieldCount());
    EXPECT_EQ(nullptr, msg.getField(Message::f_seq));
    EXPECT_EQ(nullptr, msg.getField(Message::f_slot));
    ASSERT_NE(nullptr, msg.getField(Message::f_body));
    EXPECT_EQ(CHOICE::unselected, msg.get_body().getSelection());
    EXPECT_EQ(nullptr, msg.getField(Message::f_flag));
    EXPECT_EQ(2u, msg.optionMap().size());
    EXPECT_FALSE(msg.optionMap().any());
    EXPECT_EQ(0u, msg.extensionMap().size());
}

TEST(Sequence, OptionalFieldsAndExtensionsFollowTheirBits)
{
    Message msg;
    msg.set_slot(12);
    EXPECT_FALSE(msg.hasOptionalField(Message::e_seq));
    EXPECT_TRUE(msg.hasOptionalField(Message::e_slot));

    // An extension addition grows the extension map just far enough.
    msg.set_note("x");
    EXPECT_EQ(2u, msg.extensionMap().size());
    EXPECT_FALSE(msg.hasOptionalField(Message::e_flag));
    EXPECT_TRUE(msg.hasOptionalField(Message::e_note));

    // Removing keeps the value; including again brings it back.
    msg.removeOptionalField(Message::e_slot);
    EXPECT_FALSE(msg.hasOptionalField(Message::e_slot));
    ASSERT_NE(nullptr, msg.getField(Message::f_slot));
    msg.includeOptionalField(Message::e_slot, Message::f_slot);
    EXPECT_EQ(12u, msg.get_slot().getValue());

    // Option numbers beyond every map read as absent.
    EXPECT_FALSE(msg.hasOptionalField(40));
}

TEST(BitMap, BitsBeyondTheCountReadZeroAndCannotBeSet)
{
    BitMap map;
    map.resize(10);
    EXPECT_EQ(2u, map.bytes().size());
    map.set(0);
    map.set(9);
    map.set(10);
    EXPECT_EQ('\x80', map.bytes()[0]);
    EXPECT_EQ('\x40', map.bytes()[1]);
    EXPECT_FALSE(map[10]);
    map.resize(9);
    map.resize(10);
    EXPECT_FALSE(map[9]) << "a bit cut off by shrinking does not come back";
    map.clear(0);
    EXPECT_FALSE(map.any());

    // A coder may leave the bytes short of the count.
    BIT_STRING bits;
    bits.resize(12);
    bits.bytes().clear();
    bits.set(3);
    EXPECT_FALSE(bits[3]);
}

TEST(BitBytes, ContentsSurviveGrowthCopiesMovesAndSwaps)
{
    // Sizes in place, at the in-place limit and in a pool block.
    for (std::size_t n : {std::size_t(0), std::size_t(1), BitBytes::inlineCapacity, BitBytes::inlineCapacity + 1,
                          std::size_t(300)}) {
        BitBytes bytes;
        for (std::size_t i = 0; i < n; ++i)
            bytes.push_back(static_cast<char>(i * 7));
        auto holdsPattern = [n](BitBytes const& b) {
            if (b.size() != n)
                return false;
            for (std::size_t i = 0; i < n; ++i)
                if (b[i] != static_cast<char>(i * 7))
                    return false;
            return true;
        };
        EXPECT_TRUE(holdsPattern(bytes)) << n;
        BitBytes copy(bytes);
        EXPECT_TRUE(holdsPattern(copy)) << n;
        BitBytes moved(std::move(copy));
        EXPECT_TRUE(holdsPattern(moved)) << n;
        BitBytes other(3);
        other.swap(moved);
        EXPECT_TRUE(holdsPattern(other)) << n;
        EXPECT_EQ(3u, moved.size());
        moved = other;
        EXPECT_TRUE(holdsPattern(moved)) << n;
        // Growing keeps the bytes and fills the new ones.
        moved.resize(n + 20, '\x5A');
        EXPECT_EQ(std::string(20, '\x5A'), std::string(moved.begin() + n, moved.end())) << n;
        moved.resize(n);
        EXPECT_TRUE(holdsPattern(moved)) << n;
    }
}

TEST(ValuePool, ValuesOfEverySizeAreAlignedDistinctAndKeepTheirContents)
{
    // Values, field lists and presence maps of many sizes, made and dropped
    // in an interleaved order, as decoding and releasing messages does.
    std::vector<std::pair<char*, std::size_t>> live;
    for (unsigned round = 0; round < 3; ++round) {
        for (std::size_t size = 1; size <= ValuePool::largestBlock + 40; size += 13) {
            char* p = static_cast<char*>(ValuePool::allocate(size));
            EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t)) << size;
            std::memset(p, static_cast<int>(size & 0xFF), size);
            live.push_back({p, size});
        }
        for (std::size_t i = round; i < live.size(); i += 2) {
            ValuePool::release(live[i].first, live[i].second);
            live[i].first = nullptr;
        }
        live.erase(std::remove_if(live.begin(), live.end(), [](auto const& b) { return b.first == nullptr; }),
                   live.end());
    }
    for (auto const& [p, size] : live) {
        EXPECT_EQ(std::string(size, static_cast<char>(size & 0xFF)), std::string(p, size)) << size;
        ValuePool::release(p, size);
    }
}

TEST(Choice, SelectionCreatesTheAlternativeOfItsOwnClass)
{
    Body body;
    EXPECT_TRUE(body.select(Body::dtmf));
    EXPECT_NE(nullptr, dynamic_cast<Dtmf*>(body.getValue()));
    EXPECT_STREQ("dtmf", body.getSelectionName());

    // Selecting the same alternative keeps its value.
    AbstractData* kept = body.getValue();
    EXPECT_TRUE(body.select(Body::dtmf));
    EXPECT_EQ(kept, body.getValue());

    EXPECT_TRUE(body.select(Body::name));
    EXPECT_EQ(&Demo::Name_info, body.getValue()->info());
    EXPECT_NE(nullptr, dynamic_cast<IA5String*>(body.getValue()));

    EXPECT_FALSE(body.select(5));
    EXPECT_EQ(CHOICE::unknownSelection, body.getSelection());
    EXPECT_EQ(nullptr, body.getValue());
    EXPECT_EQ(nullptr, body.getSelectionName());
}

namespace {

// A generated BOOLEAN type with a constructor from its value.
class Flag : public BOOLEAN {
public:
    Flag() : BOOLEAN(&theInfo) {}
    explicit Flag(bool value) : BOOLEAN(value, &theInfo) {}
    static InfoType const theInfo;
};

BOOLEAN::InfoType const Flag::theInfo = {&createAs<Flag>, 1};

} // namespace

TEST(Create, RecordsMakeDefaultValuesOfTheirClass)
{
    std::unique_ptr<AbstractData> flag(Flag::theInfo.create(&Flag::theInfo));
    EXPECT_EQ(typeid(Flag), typeid(*flag));
    EXPECT_FALSE(static_cast<Flag&>(*flag).getValue()) << "the record is not taken for the value";

    std::unique_ptr<AbstractData> name(Demo::Name_info.create(&Demo::Name_info));
    EXPECT_EQ(typeid(IA5String), typeid(*name));
    EXPECT_EQ(&Demo::Name_info, name->info());
}

TEST(Clone, CopiesAreObjectsOfTheValuesRealClasses)
{
    Everything original;
    Demo::fill(original);
    std::unique_ptr<AbstractData> copy = original.clone();
    EXPECT_EQ(typeid(Everything), typeid(*copy));
    EXPECT_EQ(0, original.compare(*copy));

    Everything& typed = *boost::polymorphic_downcast<Everything*>(copy.get());
    EXPECT_EQ(typeid(Colour), typeid(typed.at<AbstractData>(Everything::f_colour)));
    EXPECT_EQ(typeid(IA5String), typeid(typed.at<AbstractData>(Everything::f_text)));
    EXPECT_EQ(typeid(TypeConstrainedOpenData), typeid(typed.at<AbstractData>(Everything::f_typedOpen)));
    EXPECT_EQ(typeid(SET_OF<Colour>), typeid(typed.at<AbstractData>(Everything::f_masks)));
    auto& tones = typed.at<SEQUENCE_OF<Tone>>(Everything::f_tones);
    for (Tone const& tone : tones)
        EXPECT_EQ(typeid(Tone), typeid(tone));
    EXPECT_EQ(typeid(Colour), typeid(*static_cast<Body&>(typed.at<Body>(Everything::f_body)).getValue()));

    // A base-class value carrying a generated record clones as the generated class.
    SEQUENCE base(&Tone::theInfo);
    EXPECT_EQ(typeid(Tone), typeid(*base.clone()));
    // So does a value of a size-constrained string type.
    AbstractString name(&Demo::Name_info, "abc");
    std::unique_ptr<AbstractData> nameCopy = name.clone();
    EXPECT_EQ(typeid(IA5String), typeid(*nameCopy));
    EXPECT_EQ(&Demo::Name_info, nameCopy->info());
}

TEST(Copy, CopiesAreDeepAndKeepAbsence)
{
    Message msg;
    msg.set_seq(7);
    msg.ref_body().select(Body::dtmf);
    Message copy(msg);
    EXPECT_EQ(nullptr, copy.getField(Message::f_slot));
    EXPECT_EQ(0, copy.compare(msg));

    auto& dtmf = *boost::polymorphic_downcast<Dtmf*>(copy.ref_body().getValue());
    dtmf.ref_digits().push_back(Tone(1, 2));
    EXPECT_NE(0, copy.compare(msg));
    EXPECT_EQ(0u, boost::polymorphic_downcast<Dtmf const*>(msg.get_body().getValue())->get_digits().size());

    Body empty;
    Body emptyCopy(empty);
    EXPECT_EQ(CHOICE::unselected, emptyCopy.getSelection());
    EXPECT_EQ(nullptr, emptyCopy.getValue());

    // Assignment replaces everything the target held.
    msg = Message();
    EXPECT_EQ(nullptr, msg.getField(Message::f_seq));
    EXPECT_EQ(0, msg.compare(Message()));
}

TEST(SequenceOf, ElementsAreIndependentCopies)
{
    SEQUENCE_OF<Tone> tones;
    Tone tone(1, 2);
    tones.push_back(tone);
    tone.set_freq1(99);
    EXPECT_EQ(1, tones[0].get_freq1().getValue());

    tones.resize(3);
    EXPECT_EQ(0, tones[2].get_freq2().getValue());
    auto next = tones.erase(tones.begin());
    EXPECT_EQ(tones.begin(), next);
    EXPECT_EQ(2u, tones.size());
    tones.insert(tones.begin().position(), 2, Tone(5, 6));
    EXPECT_EQ(4u, tones.size());
    EXPECT_EQ(5, tones[1].get_freq1().getValue());
    tones.resize(1);
    EXPECT_EQ(1u, tones.size());

    SEQUENCE_OF<Tone> other;
    other = tones;
    EXPECT_EQ(0, other.compare(tones));
    unsigned count = 0;
    for (SEQUENCE_OF<Tone>::const_iterator i = other.begin(); i != other.end(); ++i)
        ++count;
    EXPECT_EQ(1u, count);
}

TEST(Swap, ExchangesWholeValues)
{
    Message a;
    a.set_seq(1);
    Message b;
    b.set_note("n");
    a.swap(b);
    EXPECT_FALSE(a.hasOptionalField(Message::e_seq));
    EXPECT_TRUE(a.hasOptionalField(Message::e_note));
    EXPECT_TRUE(b.hasOptionalField(Message::e_seq));

    Body x;
    x.select(Body::ping);
    Body y;
    x.swap(y);
    EXPECT_EQ(CHOICE::unselected, x.getSelection());
    EXPECT_EQ(Body::ping, y.getSelection());

    OpenData p;
    p.make_buf().push_back('a');
    OpenData q;
    q.set_data(std::make_unique<INTEGER>(3, &INTEGER::theInfo));
    p.swap(q);
    EXPECT_TRUE(p.has_data());
    EXPECT_FALSE(p.has_buf());
    EXPECT_TRUE(q.has_buf());
}

namespace {

struct OrderCase {
    char const* what;
    std::function<std::unique_ptr<AbstractData>()> first;
    std::function<std::unique_ptr<AbstractData>()> second;
    int expected; // sign of first.compare(second)
};

template <class T, class... Args>
std::function<std::unique_ptr<AbstractData>()> make(Args... args)
{
    return [=] { return std::unique_ptr<AbstractData>(new T(args...)); };
}

std::unique_ptr<AbstractData> bits(unsigned count, std::initializer_list<unsigned> set)
{
    auto value = std::make_unique<BIT_STRING>();
    value->resize(count);
    for (unsigned i : set)
        value->set(i);
    return value;
}

std::unique_ptr<AbstractData> oid(std::initializer_list<unsigned> arcs)
{
    auto value = std::make_unique<OBJECT_IDENTIFIER>();
    value->arcs() = arcs;
    return value;
}

std::unique_ptr<AbstractData> message(std::function<void(Message&)> build)
{
    auto value = std::make_unique<Message>();
    build(*value);
    return value;
}

} // namespace

TEST(Compare, OrdersValuesOfEachClass)
{
    typedef Constrained_INTEGER<FixedConstraint, 0, 4294967295u> Unsigned32;
    typedef Constrained_INTEGER<FixedConstraint, -128, 127> Signed8;
    OrderCase const cases[] = {
        {"null", make<Null>(), make<Null>(), 0},
        {"boolean", make<BOOLEAN>(false, &BOOLEAN::theInfo), make<BOOLEAN>(true, &BOOLEAN::theInfo), -1},
        {"integer", make<INTEGER>(-5, &INTEGER::theInfo), make<INTEGER>(3, &INTEGER::theInfo), -1},
        {"integer extremes", make<INTEGER>(INT_MIN, &INTEGER::theInfo), make<INTEGER>(INT_MAX, &INTEGER::theInfo), -1},
        {"unsigned range", make<Unsigned32>(4000000000u), make<Unsigned32>(1u), 1},
        {"signed range", make<Signed8>(-1), make<Signed8>(1), -1},
        {"enumerated", make<Colour>(Colour::ef), make<Colour>(Colour::green), 1},
        {"octets unsigned", make<OCTET_STRING>(1, '\xff'), make<OCTET_STRING>(1, '\x01'), 1},
        {"octets length", make<OCTET_STRING>(1, 'a'), make<OCTET_STRING>(2, 'a'), -1},
        {"bits", [] { return bits(8, {1}); }, [] { return bits(8, {0}); }, -1},
        {"bit count", [] { return bits(3, {}); }, [] { return bits(4, {}); }, -1},
        {"string", make<IA5String>("abc"), make<IA5String>("abd"), -1},
        {"string prefix", make<IA5String>("ab"), make<IA5String>("abc"), -1},
        {"bmp", make<BMPString>(L"\u0400"), make<BMPString>(L"z"), 1},
        {"oid arc", [] { return oid({1, 2, 3}); }, [] { return oid({1, 3}); }, -1},
        {"oid length", [] { return oid({1, 2}); }, [] { return oid({1, 2, 0}); }, -1},
        {"time", make<GeneralizedTime>("20240102030405Z"), make<GeneralizedTime>("20240102030405"), 1},
        {"time ignores offset", make<GeneralizedTime>("20240102030405+0100"), make<GeneralizedTime>("20240102030405-0200"), 0},
        {"time millis", make<GeneralizedTime>("20240102030405.001"), make<GeneralizedTime>("20240102030405"), 1},
        {"optional present sorts after",
         [] { return message([](Message& m) { m.set_seq(1); }); }, [] { return message([](Message&) {}); }, 1},
        {"field values",
         [] { return message([](Message& m) { m.set_seq(1); }); },
         [] { return message([](Message& m) { m.set_seq(2); }); }, -1},
        {"second extension addition decides",
         [] { return message([](Message& m) { m.set_flag(true); m.set_note("b"); }); },
         [] { return message([](Message& m) { m.set_flag(true); m.set_note("a"); }); }, 1},
        {"removed field is absent",
         [] { return message([](Message& m) { m.set_seq(5); m.removeOptionalField(Message::e_seq); }); },
         [] { return message([](Message&) {}); }, 0},
    };
    for (OrderCase const& c : cases) {
        EXPECT_EQ(c.expected, sign(c.first()->compare(*c.second()))) << c.what;
        EXPECT_EQ(-c.expected, sign(c.second()->compare(*c.first()))) << c.what << " (reversed)";
    }
}

TEST(Compare, ChoicesCompareSelectionsThenValues)
{
    Body a;
    Body b;
    EXPECT_EQ(0, a.compare(b));
    a.select(Body::error);
    b.select(Body::dtmf);
    EXPECT_EQ(-1, sign(a.compare(b)));
    b.select(Body::error);
    boost::polymorphic_downcast<Colour*>(b.getValue())->setValue(Colour::blue);
    EXPECT_EQ(-1, sign(a.compare(b)));

    OpenData withValue;
    withValue.set_data(std::make_unique<Null>());
    OpenData withBuffer;
    withBuffer.make_buf().push_back('x');
    EXPECT_EQ(1, sign(withValue.compare(withBuffer)));
    EXPECT_EQ(1, sign(withBuffer.compare(OpenData())));
    EXPECT_EQ(0, OpenData().compare(OpenData()));

    // Octets decide when both have them, whether or not one was decoded.
    OpenData decoded;
    decoded.set_data(std::make_unique<Null>());
    decoded.make_buf().push_back('a');
    EXPECT_EQ(-1, sign(decoded.compare(withBuffer)));
    EXPECT_EQ(1, sign(withBuffer.compare(decoded)));
}

TEST(ObjectIdentifier, ContentsOctetsFollowX690)
{
    struct Case { std::vector<unsigned> arcs; std::string octets; };
    Case const cases[] = {
        {{1, 2, 840, 113549}, std::string("\x2a\x86\x48\x86\xf7\x0d", 6)},
        {{2, 100, 3}, std::string("\x81\x34\x03", 3)},
        {{0, 39}, std::string("\x27", 1)},
        {{1, 0, 4294967295u}, std::string("\x28\x8f\xff\xff\xff\x7f", 6)},
    };
    for (Case const& c : cases) {
        OBJECT_IDENTIFIER id;
        id.arcs() = c.arcs;
        std::vector<char> octets;
        id.encodeCommon(octets);
        EXPECT_EQ(c.octets, std::string(octets.begin(), octets.end()));
        OBJECT_IDENTIFIER back;
        ASSERT_TRUE(back.decodeCommon(c.octets.data(), static_cast<unsigned>(c.octets.size())));
        EXPECT_EQ(c.arcs, back.arcs());
    }

    OBJECT_IDENTIFIER single;
    single.arcs() = {1};
    std::vector<char> none{'x'};
    single.encodeCommon(none);
    EXPECT_TRUE(none.empty());

    OBJECT_IDENTIFIER id;
    EXPECT_TRUE(id.decodeCommon(nullptr, 0));
    EXPECT_TRUE(id.arcs().empty());
    EXPECT_FALSE(id.decodeCommon("\x2a\x86", 2)) << "number cut short";
    EXPECT_FALSE(id.decodeCommon("\x2a\x90\x80\x80\x80\x80\x01", 7)) << "number beyond 32 bits";
}

TEST(GeneralizedTime, TextFormRoundTrips)
{
    struct Case { char const* text; int millisec; int mindiff; bool utc; };
    Case const cases[] = {
        {"20240102030405.250+0130", 250, 90, false},
        {"20240102030405-0130", 0, -90, false},
        {"20240102030405-0030", 0, -30, false},
        {"20240102030405Z", 0, 0, true},
        {"20240102030405.009", 9, 0, false},
        {"19991231235959.999Z", 999, 0, true},
    };
    for (Case const& c : cases) {
        GeneralizedTime t(c.text);
        EXPECT_EQ(c.millisec, t.getMillisec()) << c.text;
        EXPECT_EQ(c.mindiff, t.getMinuteDifference()) << c.text;
        EXPECT_EQ(c.utc, t.getUTC()) << c.text;
        EXPECT_EQ(c.text, t.get());
    }
    // Minutes of 60 or more make no offset: it could not print back as read.
    EXPECT_EQ(0, GeneralizedTime("20240102030405+9999").getMinuteDifference());
    GeneralizedTime fields(2024, 1, 2, 3, 4, 5, 0, -90, false);
    EXPECT_EQ("20240102030405-0130", fields.get());
    EXPECT_EQ("00010101000000", GeneralizedTime().get());

    // Reading a text replaces milliseconds, offset and flag; missing fields stay.
    GeneralizedTime reused("20240102030405.250Z");
    EXPECT_FALSE(reused.set("2030"));
    EXPECT_EQ("20300102030405", reused.get());
}

TEST(GeneralizedTime, TimeTConversionsAgreeOnUtc)
{
    std::time_t const samples[] = {0, 86399, 951782400 /* 2000-02-29 */, -1, -86401, 2147483647};
    for (std::time_t t : samples) {
        GeneralizedTime value;
        value.set_time_t(t);
        EXPECT_EQ(t, value.get_time_t()) << t;
    }
    GeneralizedTime epoch("19700101000000Z");
    EXPECT_EQ(0, epoch.get_time_t());
    GeneralizedTime leap("20000229120000");
    EXPECT_EQ(951825600, leap.get_time_t());
    GeneralizedTime late("20380119031408Z");
    if (sizeof(std::time_t) == 4)
        EXPECT_EQ(static_cast<std::time_t>(-1), late.get_time_t()) << "beyond a 32-bit time_t";
    else
        EXPECT_EQ(static_cast<std::time_t>(2147483648LL), late.get_time_t());
}

TEST(Enumerated, NamesFollowDeclaredNumbers)
{
    struct Case { int value; char const* name; };
    Case const cases[] = {{0, "red"}, {8, "green"}, {9, "blue"}, {46, "ef"}, {1, ""}, {47, ""}, {-1, ""}};
    for (Case const& c : cases) {
        Colour colour;
        colour.setValue(c.value);
        EXPECT_EQ(c.name, colour.getName()) << c.value;
        if (*c.name) {
            Colour back;
            EXPECT_TRUE(back.setFromName(c.name));
            EXPECT_EQ(c.value, back.getValue());
        }
    }
    Colour colour;
    EXPECT_FALSE(colour.setFromName("purple"));
    EXPECT_EQ(46, colour.getMaximum());
    EXPECT_TRUE(colour.extendable());
}

TEST(IntegerWithNamedNumber, NamesComeFromTheSortedTable)
{
    IntegerWithNamedNumber level(&Demo::Level_info);
    std::string name;
    for (int value : {0, 10, 99}) {
        level.setValue(value);
        EXPECT_TRUE(level.getName(name));
        IntegerWithNamedNumber back(&Demo::Level_info);
        EXPECT_TRUE(back.setFromName(name));
        EXPECT_EQ(value, back.getValue());
    }
    level.setValue(5);
    EXPECT_FALSE(level.getName(name));
    EXPECT_FALSE(level.setFromName("loud"));
}

TEST(Constraints, BoundsAreUnsignedFromZeroAndSignedBelow)
{
    typedef Constrained_INTEGER<FixedConstraint, 0, 4294967295u> Unsigned32;
    typedef Constrained_INTEGER<FixedConstraint, 0, 1023> Slot;
    typedef Constrained_INTEGER<FixedConstraint, -128, 127> Signed8;
    typedef Constrained_INTEGER<ExtendableConstraint, 1, 3> Small;
    typedef Constrained_INTEGER<PartiallyConstrained, 5, 0> AtLeast5;
    static_assert(std::is_same_v<Unsigned32::value_type, unsigned>);
    static_assert(std::is_same_v<Signed8::value_type, int>);

    struct Case { INTEGER const& value; bool below; bool above; };
    Unsigned32 big(4294967295u);
    Unsigned32 zero(0u);
    Slot slot(2000u);
    Slot negative(static_cast<unsigned>(-1));
    Signed8 minus(-128);
    Signed8 under(-129);
    Signed8 over(128);
    Small four(4u);
    AtLeast5 huge(4000000000u);
    INTEGER unconstrained(-7, &INTEGER::theInfo);
    Case const cases[] = {
        {big, false, false}, {zero, false, false}, {slot, false, true}, {negative, false, true},
        {minus, false, false}, {under, true, false}, {over, false, true}, {four, false, true},
        {huge, false, false}, {unconstrained, false, false},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(c.below, c.value.belowLowerBound(c.value.getValue())) << c.value.getValue();
        EXPECT_EQ(c.above, c.value.aboveUpperBound(c.value.getValue())) << c.value.getValue();
    }
    EXPECT_EQ(4294967295u, big.getValue());
    EXPECT_EQ(-128, minus.getValue());
    EXPECT_TRUE(big.isUnsignedRange());
    EXPECT_FALSE(minus.isUnsignedRange());
    EXPECT_FALSE(unconstrained.isUnsignedRange());
}
