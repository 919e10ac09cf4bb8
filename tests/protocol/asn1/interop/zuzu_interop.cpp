// Interoperability of control-link messages with Erlang/OTP's ASN.1
// compiler (per backend): random ZUZU::Message values, both directions (see
// ErlangExchange.h), within the part of the message types whose coding is
// X.691's. zuzu_subset.py writes that part at build time from the schema
// files: the Erlang side's module and value shapes, and the weights of the
// CHOICE alternatives and OPTIONAL fields in this side's values.
#include "ErlangExchange.h"

#include "ZuzuRandom.h"

#include "protocol/schemas/TypeTable.h"
#include "protocol/schemas/ZUZU.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string const subsetDirectory = ZUZU_INTEROP_DIRECTORY;

// The Erlang side's name of a schema type: ZUZU.Message is ZUZU-Message.
std::string erlangTypeName(char const* qualified)
{
    std::string name = qualified;
    for (char& c : name)
        if (c == '.' || c == '_')
            c = '-';
    return name;
}

bool recordOf(ASN1::SEQUENCE::InfoType const& type, Interop::Record& record)
{
    for (unsigned i = 0; i < Schemas::typeCount; ++i) {
        if (Schemas::typeTable[i].info == &type) {
            record = {erlangTypeName(Schemas::typeTable[i].name), type.numFields + type.knownExtensions};
            return true;
        }
    }
    return false;
}

} // namespace

TEST(ZUZUInterop, MessagesAgreeWithErlangInBothDirections)
{
    Interop::ZuzuWeights weights;
    ASSERT_TRUE(Interop::readZuzuWeights(subsetDirectory, weights)) << "cannot read " << subsetDirectory << "/ZuzuInterop.weights";

    Interop::Exchange exchange;
    exchange.types = {{"ZUZU-Message", &ZUZU::Message::theInfo, true}};
    exchange.records = recordOf;
    exchange.description = subsetDirectory + "/ZuzuInterop.terms";
    exchange.erlangSeed = 5;
    exchange.seed = 13;
    exchange.count = 1000;
    exchange.fill = [&weights](ASN1::AbstractData& value, std::mt19937& random) {
        Interop::fillZuzuRandom(value, random, weights);
    };
    Interop::exchangeWithErlang(exchange);
}
