#include "ErlangExchange.h"

#include "tests/support/HexText.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

using namespace ASN1;

namespace Interop {

namespace {

// An identifier as an Erlang atom, spelt as the Erlang side's module has it.
std::string atom(char const* name)
{
    std::string text = "'";
    for (char const* c = name; *c; ++c)
        text += *c == '_' ? '-' : *c;
    return text + "'";
}

class ErlangTerm : public ConstVisitor {
public:
    ErlangTerm(std::ostream& out, RecordOf const& records) : out_(out), records_(records) {}

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
        int count = 0;
        for (char const* const* name = v.info()->names; name && *name; ++name)
            ++count;
        if (v.getValue() < 0 || v.getValue() >= count)
            return false;
        out_ << atom(v.info()->names[v.getValue()]);
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
        out_ << "{" << atom(v.getSelectionName()) << ",";
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
        Record record;
        SEQUENCE::InfoType const& info = *seq.info();
        if (!records_(info, record))
            return false;
        out_ << "{'" << record.name << "'";
        for (unsigned i = 0; i < record.arity; ++i) {
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
    RecordOf const& records_;
};

std::string termOf(AbstractData const& value, RecordOf const& records)
{
    std::ostringstream out;
    EXPECT_TRUE(writeTerm(out, value, records));
    return out.str();
}

int run(std::string const& command)
{
    int const status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool writeTerm(std::ostream& out, AbstractData const& value, RecordOf const& records)
{
    ErlangTerm writer(out, records);
    return writer.write(value);
}

void exchangeWithErlang(Exchange const& exchange)
{
    char const* source = std::getenv("SERVER_TEST_SOURCE_DIR");
    char const* escript = std::getenv("ESCRIPT");
    ASSERT_NE(nullptr, source);
    std::string const script = std::string(source) + "/tests/protocol/asn1/interop/per_interop.escript";
    char dirTemplate[] = "/tmp/per_interop.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dirTemplate));
    std::string const dir = dirTemplate;
    std::string const rule = exchange.rule == CoderEnv::ber ? "INTEROP_RULE=ber " : "";
    std::string const erl = rule + (escript ? escript : "escript") + " " + script + " ";
    CoderEnv env(exchange.rule);
    std::string const description = exchange.description.empty() ? "" : " " + exchange.description;

    ASSERT_EQ(0, run(erl + "gen " + dir + " " + std::to_string(exchange.erlangSeed) + " " +
                     std::to_string(exchange.count) + description))
        << "the Erlang side could not make its values";

    // Erlang to this side: decode, re-encode the same octets, report the value.
    std::ifstream sent(dir + "/erlang.txt");
    std::ofstream decodedTerms(dir + "/cpp-decoded.terms");
    std::string name, octets;
    int count = 0;
    while (sent >> name >> octets) {
        TestType const* type = nullptr;
        for (TestType const& t : exchange.types)
            if (name == t.name)
                type = &t;
        ASSERT_NE(nullptr, type) << name;
        std::vector<char> const wire = bytes_of<char>(octets);
        std::unique_ptr<AbstractData> value(type->info->create(type->info));
        ASSERT_TRUE(env.decode(wire.data(), wire.data() + wire.size(), *value, true)) << name << " " << octets;
        std::vector<char> again;
        ASSERT_TRUE(env.encode(*value, std::back_inserter(again))) << name << " " << octets;
        if (type->knowsAll) {
            EXPECT_EQ(octets, hexText(again, "")) << name;
        }
        decodedTerms << "{'" << name << "'," << termOf(*value, exchange.records) << "}.\n";
        ++count;
    }
    decodedTerms.close();
    EXPECT_EQ(exchange.count * int(exchange.types.size()), count);

    // This side to Erlang: random values of this side's own, with their terms.
    std::ofstream encoded(dir + "/cpp.terms");
    std::mt19937 random(exchange.seed);
    for (TestType const& type : exchange.types) {
        for (int i = 0; i < exchange.count; ++i) {
            std::unique_ptr<AbstractData> value(type.info->create(type.info));
            exchange.fill(*value, random);
            std::vector<char> wire;
            ASSERT_TRUE(env.encode(*value, std::back_inserter(wire))) << type.name;
            encoded << "{'" << type.name << "',\"" << hexText(wire, "") << "\","
                    << termOf(*value, exchange.records) << "}.\n";
        }
    }
    encoded.close();

    EXPECT_EQ(0, run(erl + "check " + dir + description)) << "the Erlang side disagrees (files kept in " << dir << ")";
    if (!::testing::Test::HasFailure())
        run("rm -rf " + dir);
}

} // namespace Interop
