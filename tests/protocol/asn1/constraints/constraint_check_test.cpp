// The constraint checks: isValid, isStrictlyValid and the tracer's path and
// message, for every value class at and around its bounds, and on the
// control-link messages.
#include "tests/protocol/asn1/TestTypes.h"

#include "fuzz/per_random_value.h"
#include "fuzz/zuzu_sample_messages.h"
#include "protocol/asn1/ASN1.h"
#include "protocol/asn1/per/PEREncoder.h"
#include "protocol/schemas/TypeTable.h"
#include "protocol/schemas/ZUZU.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ASN1::AbstractData;

// What the three checks say about a value: the tracer's text is empty when
// it finds nothing.
struct Verdict {
    bool valid;
    bool strict;
    std::string trace;
};

Verdict verdictOf(AbstractData const& value)
{
    std::ostringstream os;
    bool const traced = ASN1::trace_invalid(os, "", value);
    std::string text = os.str();
    if (!traced) {
        EXPECT_EQ('\n', text.empty() ? 0 : text.back());
        text.pop_back();
    } else {
        EXPECT_EQ("", text);
    }
    return {value.isValid(), value.isStrictlyValid(), text};
}

void expectVerdict(Verdict const& expected, AbstractData const& value, std::string const& what)
{
    Verdict const got = verdictOf(value);
    EXPECT_EQ(expected.valid, got.valid) << what;
    EXPECT_EQ(expected.strict, got.strict) << what;
    EXPECT_EQ(expected.trace, got.trace) << what;
}

Verdict const ok{true, true, ""};
Verdict invalid(std::string const& trace) { return {false, false, trace}; }
// Beyond the root of an extendable type: valid, not strictly valid, and
// the tracer lets it through.
Verdict const extensionOnly{true, false, ""};

ASN1::INTEGER::InfoType integerRecord(ASN1::ConstraintType kind, int lb, unsigned ub)
{
    return {{&ASN1::createAs<ASN1::INTEGER>, 2}, kind, lb, ub};
}

TEST(ConstraintCheck, IntegerAtAndAroundItsBounds)
{
    using namespace ASN1;
    struct Case {
        INTEGER::InfoType record;
        int value;
        Verdict expected;
    };
    std::string const greater = " is greater than upper bound ";
    std::string const smaller = " is smaller than lower bound ";
    Case const cases[] = {
        // Unconstrained: every 32-bit value.
        {INTEGER::theInfo, 0, ok},
        {INTEGER::theInfo, -1, ok},
        {INTEGER::theInfo, INT_MIN, ok},
        {INTEGER::theInfo, INT_MAX, ok},
        // 0..1023: values unsigned, so -1 is 4294967295.
        {integerRecord(FixedConstraint, 0, 1023), 0, ok},
        {integerRecord(FixedConstraint, 0, 1023), 1023, ok},
        {integerRecord(FixedConstraint, 0, 1023), 1024, invalid(" The INTEGER value 1024" + greater + "1023")},
        {integerRecord(FixedConstraint, 0, 1023), -1, invalid(" The INTEGER value 4294967295" + greater + "1023")},
        {integerRecord(FixedConstraint, 1, 255), 0, invalid(" The INTEGER value 0" + smaller + "1")},
        {integerRecord(FixedConstraint, 1, 255), 1, ok},
        {integerRecord(FixedConstraint, 1, 255), 255, ok},
        {integerRecord(FixedConstraint, 1, 255), 256, invalid(" The INTEGER value 256" + greater + "255")},
        {integerRecord(FixedConstraint, 112000, 399975), 111999, invalid(" The INTEGER value 111999" + smaller + "112000")},
        {integerRecord(FixedConstraint, 112000, 399975), 112000, ok},
        {integerRecord(FixedConstraint, 112000, 399975), 399975, ok},
        {integerRecord(FixedConstraint, 112000, 399975), 399976, invalid(" The INTEGER value 399976" + greater + "399975")},
        // 0..4294967295 holds every pattern, the top bit set too.
        {integerRecord(FixedConstraint, 0, 4294967295u), 0, ok},
        {integerRecord(FixedConstraint, 0, 4294967295u), INT_MIN, ok},
        {integerRecord(FixedConstraint, 0, 4294967295u), -1, ok},
        // A negative lower bound: signed.
        {integerRecord(FixedConstraint, -128, 127), -129, invalid(" The INTEGER value -129" + smaller + "-128")},
        {integerRecord(FixedConstraint, -128, 127), -128, ok},
        {integerRecord(FixedConstraint, -128, 127), 127, ok},
        {integerRecord(FixedConstraint, -128, 127), 128, invalid(" The INTEGER value 128" + greater + "127")},
        {integerRecord(FixedConstraint, -128, 127), INT_MIN, invalid(" The INTEGER value -2147483648" + smaller + "-128")},
        // A lower bound only (the record's upper word means nothing).
        {integerRecord(PartiallyConstrained, 5, 0), 4, invalid(" The INTEGER value 4" + smaller + "5")},
        {integerRecord(PartiallyConstrained, 5, 0), 5, ok},
        {integerRecord(PartiallyConstrained, 5, 0), -1, ok},
        {integerRecord(PartiallyConstrained, -5, 0), -6, invalid(" The INTEGER value -6" + smaller + "-5")},
        {integerRecord(PartiallyConstrained, -5, 0), INT_MAX, ok},
        // An extendable range: any value is valid, the root only strictly;
        // the tracer still reports a value below the lower bound.
        {integerRecord(ExtendableConstraint, 1, 7), 7, ok},
        {integerRecord(ExtendableConstraint, 1, 7), 8, extensionOnly},
        {integerRecord(ExtendableConstraint, 1, 7), 0, {true, false, " The INTEGER value 0" + smaller + "1"}},
        {integerRecord(ExtendableConstraint, -3, 3), 4, extensionOnly},
        {integerRecord(ExtendableConstraint, -3, 3), -4, {true, false, " The INTEGER value -4" + smaller + "-3"}},
    };
    for (Case const& c : cases) {
        INTEGER value(c.value, &c.record);
        std::string const what = std::to_string(c.value) + " in kind " + std::to_string(c.record.type) + " " +
                                 std::to_string(c.record.lowerLimit) + ".." + std::to_string(c.record.upperLimit);
        expectVerdict(c.expected, value, what);
        EXPECT_EQ(c.expected.strict, value.isStrictValid()) << what;
    }
}

TEST(ConstraintCheck, IntegerWithNamedNumbersIsCheckedAsInteger)
{
    ASN1::IntegerWithNamedNumber::InfoType const bounded = {
        {{&ASN1::createAs<ASN1::IntegerWithNamedNumber>, 2}, ASN1::FixedConstraint, 0, 99},
        Demo::Level_info.nameEntries, Demo::Level_info.entryCount};
    expectVerdict(ok, ASN1::IntegerWithNamedNumber(99, &bounded), "99");
    expectVerdict(invalid(" The INTEGER value 100 is greater than upper bound 99"),
                  ASN1::IntegerWithNamedNumber(100, &bounded), "100");
    expectVerdict(ok, ASN1::IntegerWithNamedNumber(-7, &Demo::Level_info), "unconstrained");
}

// A value of size n of each sized class, with a record of the given bounds.
struct SizedClass {
    char const* name; // as the tracer names it
    std::function<std::unique_ptr<AbstractData>(ASN1::ConstrainedObject::InfoType const& bounds, unsigned n)> make;
};

std::vector<std::shared_ptr<void>> records; // outlive the values made on them

template <class Record>
Record const* keep(Record record)
{
    auto kept = std::make_shared<Record>(record);
    records.push_back(kept);
    return kept.get();
}

std::vector<SizedClass> sizedClasses()
{
    using namespace ASN1;
    return {
        {"OCTET STRING", [](ConstrainedObject::InfoType const& b, unsigned n) {
             return std::make_unique<OCTET_STRING>(n, 'x', keep(b));
         }},
        {"BIT STRING", [](ConstrainedObject::InfoType const& b, unsigned n) {
             auto value = std::make_unique<BIT_STRING>(keep(b));
             value->resize(n);
             return value;
         }},
        {"AbstractString", [](ConstrainedObject::InfoType const& b, unsigned n) {
             AbstractString::InfoType record = IA5String::theInfo;
             static_cast<ConstrainedObject::InfoType&>(record) = b;
             record.create = &createAs<IA5String>;
             return std::make_unique<AbstractString>(keep(record), std::string(n, 'x'));
         }},
        {"BMPString", [](ConstrainedObject::InfoType const& b, unsigned n) {
             BMPString::InfoType record = BMPString::theInfo;
             static_cast<ConstrainedObject::InfoType&>(record) = b;
             return std::make_unique<BMPString>(std::wstring(n, L'x'), keep(record));
         }},
        {"SEQUENCE OF", [](ConstrainedObject::InfoType const& b, unsigned n) {
             SEQUENCE_OF_Base::InfoType record = SEQUENCE_OF<BOOLEAN>::theInfo;
             static_cast<ConstrainedObject::InfoType&>(record) = b;
             record.create = nullptr; // never cloned here
             auto value = std::make_unique<SEQUENCE_OF_Base>(keep(record));
             value->resize(n);
             return value;
         }},
    };
}

TEST(ConstraintCheck, SizesAtAndAroundTheirBounds)
{
    using namespace ASN1;
    struct Case {
        ConstraintType kind;
        int lb;
        unsigned ub;
        unsigned size;
        bool valid;
        bool strict;
        std::string trace; // after " This <class> has size"
    };
    Case const cases[] = {
        {Unconstrained, 0, 4294967295u, 0, true, true, ""},
        {Unconstrained, 0, 4294967295u, 300, true, true, ""},
        {FixedConstraint, 1, 3, 0, false, false, " 0 smaller than its lower bound 1"},
        {FixedConstraint, 1, 3, 1, true, true, ""},
        {FixedConstraint, 1, 3, 3, true, true, ""},
        {FixedConstraint, 1, 3, 4, false, false, " 4 greater than its upper bound 3"},
        {FixedConstraint, 2, 2, 1, false, false, " 1 smaller than its lower bound 2"},
        {FixedConstraint, 2, 2, 2, true, true, ""},
        {FixedConstraint, 2, 2, 3, false, false, " 3 greater than its upper bound 2"},
        {ExtendableConstraint, 1, 3, 0, false, false, " 0 smaller than its lower bound 1"},
        {ExtendableConstraint, 1, 3, 3, true, true, ""},
        {ExtendableConstraint, 1, 3, 4, true, false, ""},
        // A lower bound alone sets no upper one, whatever the record's word.
        {PartiallyConstrained, 2, 0, 1, false, false, " 1 smaller than its lower bound 2"},
        {PartiallyConstrained, 2, 0, 2, true, true, ""},
        {PartiallyConstrained, 2, 0, 40, true, true, ""},
    };
    for (SizedClass const& sized : sizedClasses()) {
        for (Case const& c : cases) {
            ConstrainedObject::InfoType const bounds = {{nullptr, 0}, c.kind, c.lb, c.ub};
            std::unique_ptr<AbstractData> value = sized.make(bounds, c.size);
            std::string const trace = c.trace.empty() ? "" : std::string(" This ") + sized.name + " has size" + c.trace;
            expectVerdict({c.valid, c.strict, trace}, *value,
                          std::string(sized.name) + " of " + std::to_string(c.size) + " in kind " +
                              std::to_string(c.kind) + " " + std::to_string(c.lb) + ".." + std::to_string(c.ub));
        }
    }
    records.clear();
}

TEST(ConstraintCheck, CharactersOutsideTheAlphabet)
{
    using namespace ASN1;
    BMPString::InfoType const visibleBmp = {{{&createAs<BMPString>, 30}, Unconstrained, 0, 4294967295u}, 0x20, 0x7e, 7, 8};
    struct Case {
        std::function<std::unique_ptr<AbstractData>()> make;
        char const* what;
        Verdict expected;
        std::size_t firstIllegal;
    };
    auto text = [](AbstractString::InfoType const* info, std::string const& s) {
        return [info, s] { return std::make_unique<AbstractString>(info, s); };
    };
    auto wide = [](BMPString::InfoType const* info, std::wstring const& s) {
        return [info, s] { return std::make_unique<BMPString>(s, info); };
    };
    std::string const notValid = "' is not valid for the string";
    Case const cases[] = {
        {text(&IA5String::theInfo, ""), "empty IA5String", ok, 0},
        {text(&IA5String::theInfo, std::string("a\0\x7f", 3)), "IA5String 0 and 7f", ok, 3},
        {text(&IA5String::theInfo, "ab\x80"), "IA5String 80", invalid(" The character '\x80" + notValid), 2},
        {text(&IA5String::theInfo, "\xff"), "IA5String ff", invalid(" The character '\xff" + notValid), 0},
        // A size-constrained IA5String has no set of its own: its canonical
        // range decides.
        {text(&Demo::Name_info, "x\x7f"), "IA5String (SIZE(1..64)) 7f", ok, 2},
        {text(&Demo::Name_info, "x\x80y"), "IA5String (SIZE(1..64)) 80", invalid(" The character '\x80" + notValid), 1},
        {text(&PrintableString::theInfo, "Hello, World (1+1=2)?"), "PrintableString", ok, 21},
        {text(&PrintableString::theInfo, "a@b"), "PrintableString @", invalid(" The character '@" + notValid), 1},
        {text(&NumericString::theInfo, "12 34"), "NumericString", ok, 5},
        {text(&NumericString::theInfo, "12a"), "NumericString a", invalid(" The character 'a" + notValid), 2},
        {text(&VisibleString::theInfo, " ~"), "VisibleString", ok, 2},
        {text(&VisibleString::theInfo, "\x1f"), "VisibleString 1f", invalid(" The character '\x1f" + notValid), 0},
        {text(&GeneralString::theInfo, "\x01\xff"), "GeneralString", ok, 2},
        {wide(&BMPString::theInfo, std::wstring(1, wchar_t(0xffff))), "BMPString ffff", ok, 1},
        {wide(&BMPString::theInfo, std::wstring(1, wchar_t(0x10000))), "BMPString 10000",
         invalid(" The character '65536" + notValid), 0},
        {wide(&visibleBmp, L" a~"), "BMPString 20..7e", ok, 3},
        {wide(&visibleBmp, L"ab\u00e9"), "BMPString 20..7e e9", invalid(" The character '233" + notValid), 2},
        {wide(&visibleBmp, L"\x1f"), "BMPString 20..7e 1f", invalid(" The character '31" + notValid), 0},
    };
    for (Case const& c : cases) {
        std::unique_ptr<AbstractData> value = c.make();
        expectVerdict(c.expected, *value, c.what);
        if (auto* s = dynamic_cast<AbstractString const*>(value.get()))
            EXPECT_EQ(c.firstIllegal, s->first_illegal_at()) << c.what;
        else
            EXPECT_EQ(c.firstIllegal, dynamic_cast<BMPString const&>(*value).first_illegal_at()) << c.what;
    }
}

TEST(ConstraintCheck, EnumerationsObjectIdentifiersAndTimes)
{
    using namespace ASN1;
    char const* const stateNames[] = {"idle", "busy", "gone=5", nullptr};
    ENUMERATED::InfoType const closed = {{&createAs<ENUMERATED>, 10}, false, 5, stateNames};
    auto enumerated = [](ENUMERATED::InfoType const* info, int v) {
        auto value = std::make_unique<ENUMERATED>(info);
        value->setValue(v);
        return value;
    };
    OBJECT_IDENTIFIER noArcs;
    OBJECT_IDENTIFIER oneArc;
    oneArc.arcs() = {1};
    std::string const badTime = " This GeneralizedTime is not valid";
    struct Case {
        std::unique_ptr<AbstractData> value;
        char const* what;
        Verdict expected;
    };
    Case cases[] = {
        {enumerated(&closed, 0), "closed 0", ok},
        {enumerated(&closed, 5), "closed 5", ok},
        {enumerated(&closed, 6), "closed 6", invalid(" This ENUMERATED has invalid value 6")},
        {enumerated(&closed, -1), "closed -1", invalid(" This ENUMERATED has invalid value -1")},
        {enumerated(&Demo::Colour::theInfo, 46), "extendable 46", ok},
        {enumerated(&Demo::Colour::theInfo, 47), "extendable 47", {true, false, " This ENUMERATED has invalid value 47"}},
        {enumerated(&Demo::Colour::theInfo, -1), "extendable -1", invalid(" This ENUMERATED has invalid value -1")},
        {noArcs.clone(), "no arcs", invalid(" This OBJECT IDENTIFIER is not assigned")},
        {oneArc.clone(), "one arc", ok},
        {std::make_unique<GeneralizedTime>(), "0001-01-01", ok},
        {std::make_unique<GeneralizedTime>(9999, 12, 31, 23, 59, 59, 999, 0, true), "9999-12-31", ok},
        {std::make_unique<GeneralizedTime>(2024, 1, 2, 24, 0, 0, 0, 0, false), "hour 24", ok},
        {std::make_unique<GeneralizedTime>(2024, 1, 2, 25, 0, 0, 0, 0, false), "hour 25", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 2, 3, 4, 5, 0, 720, false), "offset 720", ok},
        {std::make_unique<GeneralizedTime>(2024, 1, 2, 3, 4, 5, 0, 721, false), "offset 721", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 2, 3, 4, 5, 0, -720, false), "offset -720", ok},
        {std::make_unique<GeneralizedTime>(2024, 1, 2, 3, 4, 5, 0, -721, false), "offset -721", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(0, 1, 1, 0, 0, 0, 0, 0, false), "year 0", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 0, 1, 0, 0, 0, 0, 0, false), "month 0", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 13, 1, 0, 0, 0, 0, 0, false), "month 13", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 0, 0, 0, 0, 0, 0, false), "day 0", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 32, 0, 0, 0, 0, 0, false), "day 32", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 1, -1, 0, 0, 0, 0, false), "hour -1", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 1, 0, 60, 0, 0, 0, false), "minute 60", invalid(badTime)},
        {std::make_unique<GeneralizedTime>(2024, 1, 1, 0, 0, 60, 0, 0, false), "second 60", invalid(badTime)},
        {std::make_unique<Null>(), "NULL", ok},
        {std::make_unique<BOOLEAN>(true, &BOOLEAN::theInfo), "BOOLEAN", ok},
    };
    for (Case const& c : cases)
        expectVerdict(c.expected, *c.value, c.what);
}

TEST(ConstraintCheck, ChoiceSelections)
{
    using namespace ASN1;
    CHOICE::InfoType closedBody = Demo::Body::theInfo;
    closedBody.extendable = false;
    struct Case {
        CHOICE::InfoType const* info;
        int selection;
        std::function<AbstractData*()> alternative; // null: none
        char const* what;
        Verdict expected;
    };
    auto boolean = [] { return new BOOLEAN(true, &BOOLEAN::theInfo); };
    auto name = [](char const* text) { return [text] { return new IA5String(text, &Demo::Name_info); }; };
    Case const cases[] = {
        {&Demo::Body::theInfo, CHOICE::unselected, nullptr, "unselected", invalid(" This CHOICE is not selected")},
        {&Demo::Body::theInfo, CHOICE::unknownSelection, nullptr, "unknown",
         invalid(" This selection is not understood by this decoder")},
        {&Demo::Body::theInfo, 0, [] { return new Null(); }, "ping", ok},
        {&Demo::Body::theInfo, Demo::Body::name, name("x"), "name x", ok},
        {&Demo::Body::theInfo, Demo::Body::name, name(""), "empty name",
         invalid(".name This AbstractString has size 0 smaller than its lower bound 1")},
        {&Demo::Body::theInfo, Demo::Body::later, boolean, "extension alternative", extensionOnly},
        {&closedBody, Demo::Body::later, boolean, "beyond the root of a closed CHOICE", {false, false, ""}},
        // An index past every alternative has no type and no name.
        {&Demo::Body::theInfo, 5, boolean, "index 5",
         invalid(" This selection is not understood by this decoder")},
        {&Demo::Body::theInfo, 0, nullptr, "selected without a value", invalid(" This CHOICE is not selected")},
    };
    for (Case const& c : cases) {
        CHOICE value(c.info, c.selection, c.alternative ? c.alternative() : nullptr);
        expectVerdict(c.expected, value, c.what);
    }
}

TEST(ConstraintCheck, SequencePathsStopAtTheFirstBadField)
{
    Demo::Message message;
    message.ref_body().select(Demo::Body::ping);
    expectVerdict(ok, message, "valid");

    message.set_slot(2000);
    expectVerdict(invalid(".slot The INTEGER value 2000 is greater than upper bound 1023"), message, "slot 2000");

    // An absent OPTIONAL field is not looked at, whatever it holds.
    message.removeOptionalField(Demo::Message::e_slot);
    expectVerdict(ok, message, "absent slot 2000");

    // A known extension addition, when present.
    message.set_note("caf\xe9");
    expectVerdict(invalid(".note The character '\xe9' is not valid for the string"), message, "note");
    message.removeOptionalField(Demo::Message::e_note);
    expectVerdict(ok, message, "absent note");

    // Two bad fields: the first in declaration order is reported.
    message.set_slot(1024);
    message.ref_body().select(Demo::Body::name);
    expectVerdict(invalid(".slot The INTEGER value 1024 is greater than upper bound 1023"), message, "two bad fields");
    message.set_slot(1023);
    expectVerdict(invalid(".body.name This AbstractString has size 0 smaller than its lower bound 1"), message,
                  "empty name");
}

TEST(ConstraintCheck, ListPathsNameTheFirstBadElement)
{
    ZUZU::MixerOutParams params;
    params.ref_channel().select(ZUZU::MixerChannel::tdm);
    ZUZU::MixerInput input;
    input.ref_channel().select(ZUZU::MixerChannel::rtp);
    input.set_gain(-12); // unconstrained: any value
    params.ref_inputs().push_back(input);
    expectVerdict(ok, params, "one input");

    params.ref_inputs().push_back(ZUZU::MixerInput());
    params.ref_inputs().push_back(ZUZU::MixerInput());
    expectVerdict(invalid(".inputs[1].channel This CHOICE is not selected"), params, "two unselected inputs");

    // The elements of a list are checked with the list's strength.
    Demo::Dtmf dtmf;
    dtmf.ref_digits().resize(12);
    expectVerdict(ok, dtmf, "twelve tones");
}

TEST(ConstraintCheck, OpenTypes)
{
    using namespace ASN1;
    OpenData empty;
    expectVerdict(invalid(" This Open Type does not contain any valid data"), empty, "empty");

    OpenData undecoded;
    undecoded.make_buf().push_back('\x01');
    expectVerdict(ok, undecoded, "undecoded octets");

    // The contained value's message stands without a path step.
    OpenData holding;
    holding.set_data(std::make_unique<Demo::Slot>(1024u));
    expectVerdict(invalid(" The INTEGER value 1024 is greater than upper bound 1023"), holding, "slot 1024");

    TypeConstrainedOpenData typed(&Demo::IntegerOpen_info);
    expectVerdict(ok, typed, "typed open INTEGER");

    // Inside a SEQUENCE the field gives the path.
    Demo::Everything everything;
    Demo::fill(everything);
    expectVerdict(ok, everything, "filled");
    everything.at<OpenData>(Demo::Everything::f_open) = empty;
    expectVerdict(invalid(".open This Open Type does not contain any valid data"), everything, "empty open field");
}

TEST(ConstraintCheck, TraceWritesPrefixExplanationAndLineEnd)
{
    Demo::Message message;
    std::ostringstream os;
    EXPECT_FALSE(ASN1::trace_invalid(os, "Message", message));
    EXPECT_EQ("Message.body This CHOICE is not selected\n", os.str());

    message.ref_body().select(Demo::Body::ping);
    std::ostringstream quiet;
    EXPECT_TRUE(ASN1::trace_invalid(quiet, "Message", message));
    EXPECT_EQ("", quiet.str());
}

TEST(ConstraintCheck, ControlLinkMessages)
{
    ZUZU::Message message = PerFuzz::sampleMessage("ping");
    message.set_slot(2000);
    std::ostringstream os;
    EXPECT_FALSE(ASN1::trace_invalid(os, "", message));
    EXPECT_EQ(".slot The INTEGER value 2000 is greater than upper bound 1023\n", os.str());

    // Every sample is valid; two carry values beyond the root of an
    // extendable type: an error number past the ENUMERATED's items and a
    // tone event that is an extension alternative.
    std::map<std::string, Verdict> const beyondRoot = {
        {"error-beyond-root", {true, false, ".pdu.response.error This ENUMERATED has invalid value 40"}},
        {"tonec-dtmfDone", extensionOnly},
    };
    for (PerFuzz::SampleMessage const& sample : PerFuzz::sampleMessages()) {
        auto found = beyondRoot.find(sample.name);
        expectVerdict(found == beyondRoot.end() ? ok : found->second, sample.make(), sample.name);
    }

    // A tone's frequencies are unconstrained INTEGERs.
    ZUZU::TranslateDtmfParams dtmf;
    ZUZU::DualTone tone;
    tone.set_freq1(-1);
    tone.set_freq2(INT_MIN);
    dtmf.ref_digits().push_back(tone);
    expectVerdict(ok, dtmf, "negative frequencies");

    // The destination name is an IA5String (SIZE(1..64)).
    TERM::RtpParams rtp;
    rtp.set_dname("");
    EXPECT_FALSE(rtp.get_dname().isValid());
    rtp.set_dname(std::string(64, 'h'));
    EXPECT_TRUE(rtp.get_dname().isStrictlyValid());
    rtp.set_dname("host\xc3\xa9");
    EXPECT_FALSE(rtp.get_dname().isValid());
    EXPECT_EQ(4u, rtp.get_dname().first_illegal_at());
}

// On random values within their types' constraints, the checks and the
// PER encoder agree, for every type of every module: what encodes is valid
// and passes the tracer, and what does not (a stand-in type somewhere in it)
// is refused by the checks too.
TEST(ConstraintCheck, RandomSchemaValuesPassExactlyWhenTheyEncode)
{
    std::mt19937 random(143);
    PerFuzz::RandomOptions options;
    options.enumerationExtensions = false;
    unsigned encoded = 0;
    for (unsigned t = 0; t < Schemas::typeCount; ++t) {
        Schemas::TypeEntry const& entry = Schemas::typeTable[t];
        for (int i = 0; i < 4; ++i) {
            std::unique_ptr<AbstractData> value(entry.info->create(entry.info));
            PerFuzz::fillRandom(*value, random, options);
            std::vector<char> octets;
            bool const encodes = ASN1::PEREncoder::encode(*value, true, octets);
            std::ostringstream trace;
            EXPECT_EQ(encodes, value->isValid()) << entry.name << " " << value->asValueNotation();
            if (encodes) {
                EXPECT_TRUE(ASN1::trace_invalid(trace, entry.name, *value)) << trace.str();
                ++encoded;
            }
        }
    }
    EXPECT_GT(encoded, 1000u);
}

} // namespace
