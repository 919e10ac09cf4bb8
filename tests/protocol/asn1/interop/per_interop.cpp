// Interoperability of the PER ALIGNED coder with an independent one,
// Erlang/OTP's ASN.1 compiler (per backend), on the type shapes of
// PerInterop.asn, both directions, with random values from fixed seeds:
//   1. per_interop.escript gen: Erlang encodes random values;
//   2. this program decodes each, re-encodes it (the octets must be the
//      same) and writes what it decoded as an Erlang term; it also encodes
//      random values of its own and writes them with their terms;
//   3. per_interop.escript check: Erlang compares the decoded terms with
//      what it sent, and decodes and re-encodes this program's encodings.
#include "fuzz/hex_text.h"
#include "fuzz/per_random_value.h"
#include "protocol/asn1/ASN1.h"
#include "protocol/asn1/PERDecoder.h"
#include "protocol/asn1/PEREncoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace ASN1;

namespace {

// The records of PerInterop.asn --------------------------------------------

template <ConstraintType Kind, int Lb, unsigned Ub>
INTEGER::InfoType const Int = {{&createAs<INTEGER>, 2}, Kind, Lb, Ub};

char const* const colourNames[] = {"red", "green", "blue", "cyan", "magenta", nullptr};
ENUMERATED::InfoType const Colour = {{&createAs<ENUMERATED>, 10}, false, 4, colourNames};
char const* const modeNames[] = {"off", "on", nullptr};
ENUMERATED::InfoType const Mode = {{&createAs<ENUMERATED>, 10}, true, 1, modeNames};

AbstractData::InfoType const* const itemFields[] = {&Int<FixedConstraint, 0, 255>, &IA5String::theInfo};
int const itemIds[] = {-1, 0};
char const* const itemNames[] = {"id", "tag"};
SEQUENCE::InfoType const Item = {{&createAs<SEQUENCE>, 16}, true, itemFields, itemIds, 2, 0, 1, nullptr, nullptr, itemNames};

AbstractData::InfoType const* const pickAlternatives[] = {
    &Int<FixedConstraint, 0, 3>, &IA5String::theInfo, &Item, &BOOLEAN::theInfo, &OCTET_STRING::theInfo};
char const* const pickNames[] = {"number", "text", "item", "late", "later"};
CHOICE::InfoType const Pick = {{&createAs<CHOICE>, 0}, true, pickAlternatives, 3, 5, nullptr, pickNames};

OCTET_STRING::InfoType const Pair = {{&createAs<OCTET_STRING>, 4}, FixedConstraint, 2, 2};
OCTET_STRING::InfoType const Quad = {{&createAs<OCTET_STRING>, 4}, FixedConstraint, 4, 4};
BIT_STRING::InfoType const Flags = {{&createAs<BIT_STRING>, 3}, FixedConstraint, 12, 12};
AbstractString::InfoType const Label = {{{&createAs<IA5String>, 22}, FixedConstraint, 1, 64}, nullptr, 128, 7, 7, 8};
SEQUENCE_OF_Base::InfoType const Numbers = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &INTEGER::theInfo};
SEQUENCE_OF_Base::InfoType const Triple = {{{&createAs<SEQUENCE_OF_Base>, 16}, FixedConstraint, 3, 3}, &Colour};
SEQUENCE_OF_Base::InfoType const Items = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &Item};

AbstractData::InfoType const* const shapesFields[] = {
    &BOOLEAN::theInfo, &Int<FixedConstraint, 0, 7>, &Int<FixedConstraint, -128, 127>,
    &Int<FixedConstraint, 0, 65535>, &Int<FixedConstraint, 0, 4294967295u>, &Int<FixedConstraint, 112000, 399975>,
    &INTEGER::theInfo, &Int<ExtendableConstraint, 0, 15>, &Colour, &Mode, &Null::theInfo,
    &OCTET_STRING::theInfo, &Pair, &Quad, &Flags, &BIT_STRING::theInfo, &IA5String::theInfo, &Label,
    &NumericString::theInfo, &PrintableString::theInfo, &VisibleString::theInfo, &BMPString::theInfo,
    &OBJECT_IDENTIFIER::theInfo, &GeneralizedTime::theInfo, &Numbers, &Triple, &Items, &Pick,
    &IA5String::theInfo, &Int<FixedConstraint, 0, 1023>,
    &BOOLEAN::theInfo, &Pick};
int const shapesIds[] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 3};
SEQUENCE::InfoType const Shapes = {{&createAs<SEQUENCE>, 16}, true, shapesFields, shapesIds, 30, 2, 2, nullptr, nullptr, nullptr};

// This side knows only the first of the three additions of Later.
AbstractData::InfoType const* const laterFields[] = {&Int<FixedConstraint, 0, 7>, &BOOLEAN::theInfo};
int const laterIds[] = {-1, 0};
SEQUENCE::InfoType const Later = {{&createAs<SEQUENCE>, 16}, true, laterFields, laterIds, 1, 1, 0, nullptr, nullptr, nullptr};

struct TestType {
    char const* name;
    AbstractData::InfoType const* info;
    unsigned erlangArity; // fields of the Erlang record (SEQUENCE types)
    bool knowsAll;        // this side knows every addition the Erlang side sends
};

TestType const types[] = {
    {"Shapes", &Shapes, 32, true}, {"Pick", &Pick, 0, true},   {"Item", &Item, 2, true},
    {"Colour", &Colour, 0, true},  {"Mode", &Mode, 0, true},   {"Later", &Later, 4, false},
};

TestType const* typeOf(AbstractData::InfoType const* info)
{
    for (TestType const& t : types)
        if (t.info == info)
            return &t;
    return nullptr;
}

// Erlang terms ------------------------------------------------------------

// Writes a value as the Erlang term that Erlang's per decoder gives for it.
class ErlangTerm : public ConstVisitor {
public:
    explicit ErlangTerm(std::ostream& out) : out_(out) {}

    bool write(AbstractData const& value) { return value.accept(*this); }

protected:
    bool do_visit(Null const&) override { out_ << "'NULL'"; return true; }
    bool do_visit(BOOLEAN const& v) override { out_ << (v.getValue() ? "true" : "false"); return true; }
    bool do_visit(INTEGER const& v) override
    {
        // 0..4294967295 holds its upper half as negative ints.
        if (v.constraintType() == FixedConstraint && v.isUnsignedRange())
            out_ << static_cast<unsigned>(v.getValue());
        else
            out_ << v.getValue();
        return true;
    }
    bool do_visit(ENUMERATED const& v) override
    {
        // Numbered 0..n-1 in these types.
        out_ << "'" << v.info()->names[v.getValue()] << "'";
        return true;
    }
    bool do_visit(OBJECT_IDENTIFIER const& v) override
    {
        out_ << "{";
        for (unsigned i = 0; i < v.levels(); ++i)
            out_ << (i ? "," : "") << v.arcs()[i];
        out_ << "}";
        return true;
    }
    bool do_visit(BIT_STRING const& v) override
    {
        out_ << "<<";
        unsigned const whole = v.size() / 8;
        for (unsigned i = 0; i < whole; ++i)
            out_ << (i ? "," : "") << static_cast<unsigned>(static_cast<unsigned char>(v.bytes()[i]));
        if (unsigned const rest = v.size() % 8)
            out_ << (whole ? "," : "") << (static_cast<unsigned char>(v.bytes()[whole]) >> (8 - rest)) << ":" << rest;
        out_ << ">>";
        return true;
    }
    bool do_visit(OCTET_STRING const& v) override { return codes(v, "<<", ">>"); }
    bool do_visit(AbstractString const& v) override { return codes(v, "[", "]"); }
    bool do_visit(BMPString const& v) override
    {
        out_ << "[";
        for (std::size_t i = 0; i < v.size(); ++i) {
            unsigned const c = static_cast<unsigned>(v[i]);
            out_ << (i ? "," : "");
            if (c < 256)
                out_ << c;
            else
                out_ << "{0,0," << (c >> 8) << "," << (c & 255) << "}";
        }
        out_ << "]";
        return true;
    }
    bool do_visit(GeneralizedTime const& v) override { return codes(v.get(), "[", "]"); }
    bool do_visit(CHOICE const& v) override
    {
        if (v.getSelectionName() == nullptr || v.getValue() == nullptr)
            return false;
        out_ << "{'" << v.getSelectionName() << "',";
        bool const ok = write(*v.getValue());
        out_ << "}";
        return ok;
    }
    bool do_visit(SEQUENCE_OF_Base const& v) override
    {
        out_ << "[";
        for (unsigned i = 0; i < v.size(); ++i) {
            out_ << (i ? "," : "");
            if (!write(*v.elementAt(i)))
                return false;
        }
        out_ << "]";
        return true;
    }

    // A SEQUENCE is the Erlang record: the type's name, then every field,
    // asn1_NOVALUE for an absent one and for an addition this side lacks.
    bool preVisitExtensionRoots(SEQUENCE const& seq) override
    {
        TestType const* type = typeOf(seq.info());
        if (type == nullptr)
            return false;
        out_ << "{'" << type->name << "'";
        SEQUENCE::InfoType const& info = *seq.info();
        for (unsigned i = 0; i < type->erlangArity; ++i) {
            out_ << ",";
            int const option = i < info.numFields ? info.ids[i] : int(info.numOptional + i - info.numFields);
            bool const present = i < seq.fieldCount() && (option < 0 || seq.hasOptionalField(unsigned(option)));
            if (!present)
                out_ << "asn1_NOVALUE";
            else if (!write(*seq.getField(i)))
                return false;
        }
        out_ << "}";
        return true;
    }
    // The fields were written with the record.
    bool visitExtensionRoot(SEQUENCE const&, int) override { return true; }
    bool visitKnownExtension(SEQUENCE const&, int) override { return true; }

private:
    // The octets or 8-bit characters of a string as numbers.
    template <class Chars>
    bool codes(Chars const& chars, char const* open, char const* close)
    {
        out_ << open;
        for (std::size_t i = 0; i < chars.size(); ++i)
            out_ << (i ? "," : "") << static_cast<unsigned>(static_cast<unsigned char>(chars[i]));
        out_ << close;
        return true;
    }

    std::ostream& out_;
};

std::vector<char> unhex(std::string const& text)
{
    std::vector<char> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

std::string termOf(AbstractData const& value)
{
    std::ostringstream out;
    ErlangTerm writer(out);
    EXPECT_TRUE(writer.write(value));
    return out.str();
}

int run(std::string const& command)
{
    int const status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(PERInterop, AgreesWithErlangInBothDirections)
{
    char const* source = std::getenv("SERVER_TEST_SOURCE_DIR");
    char const* escript = std::getenv("ESCRIPT");
    ASSERT_NE(nullptr, source);
    std::string const script = std::string(source) + "/tests/protocol/asn1/interop/per_interop.escript";
    char dirTemplate[] = "/tmp/per_interop.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dirTemplate));
    std::string const dir = dirTemplate;
    std::string const erl = std::string(escript ? escript : "escript") + " " + script + " ";

    ASSERT_EQ(0, run(erl + "gen " + dir + " 7 40")) << "the Erlang side could not make its values";

    // Erlang to this side: decode, re-encode the same octets, report the value.
    std::ifstream sent(dir + "/erlang.txt");
    std::ofstream decodedTerms(dir + "/cpp-decoded.terms");
    std::string name, octets;
    int count = 0;
    while (sent >> name >> octets) {
        TestType const* type = nullptr;
        for (TestType const& t : types)
            if (name == t.name)
                type = &t;
        ASSERT_NE(nullptr, type) << name;
        std::vector<char> const wire = unhex(octets);
        std::unique_ptr<AbstractData> value(type->info->create(type->info));
        ASSERT_TRUE(PERDecoder::decode(nullptr, wire.data(), wire.data() + wire.size(), *value, true))
            << name << " " << octets;
        std::vector<char> again;
        ASSERT_TRUE(PEREncoder::encode(*value, true, again)) << name << " " << octets;
        if (type->knowsAll) {
            EXPECT_EQ(octets, PerFuzz::hexText(again)) << name;
        }
        decodedTerms << "{'" << name << "'," << termOf(*value) << "}.\n";
        ++count;
    }
    decodedTerms.close();
    EXPECT_EQ(40 * int(sizeof types / sizeof types[0]), count);

    // This side to Erlang: random values of this side's own, with their terms.
    std::ofstream encoded(dir + "/cpp.terms");
    std::mt19937 random(11);
    PerFuzz::RandomOptions options;
    options.enumerationExtensions = false; // coded by number here, by position in X.691
    for (TestType const& type : types) {
        for (int i = 0; i < 40; ++i) {
            std::unique_ptr<AbstractData> value(type.info->create(type.info));
            PerFuzz::fillRandom(*value, random, options);
            std::vector<char> wire;
            ASSERT_TRUE(PEREncoder::encode(*value, true, wire)) << type.name;
            encoded << "{'" << type.name << "',\"" << PerFuzz::hexText(wire) << "\"," << termOf(*value) << "}.\n";
        }
    }
    encoded.close();

    EXPECT_EQ(0, run(erl + "check " + dir)) << "the Erlang side disagrees (files kept in " << dir << ")";
    if (!HasFailure())
        run("rm -rf " + dir);
}
