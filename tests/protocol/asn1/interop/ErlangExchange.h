#pragma once

// The exchange of PER ALIGNED (or BER) encodings with Erlang/OTP's ASN.1
// compiler (per or ber backend) that the interoperability tests run, both directions, with
// random values from fixed seeds:
//   1. per_interop.escript gen: Erlang encodes random values of each type;
//   2. this side decodes each, re-encodes it (the octets must be the same)
//      and writes what it decoded as an Erlang term; it also encodes random
//      values of its own and writes them with their terms;
//   3. per_interop.escript check: Erlang compares the decoded terms with
//      what it sent, and decodes and re-encodes this side's encodings.
// Failures are reported as Google Test failures of the calling test.
#include "protocol/asn1/ASN1.h"

#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace Interop {

// The Erlang record of a SEQUENCE value: its name and number of fields.
struct Record {
    std::string name;
    unsigned arity;
};
// The record of a SEQUENCE type; false for a type the Erlang side lacks.
typedef std::function<bool(ASN1::SEQUENCE::InfoType const& type, Record& record)> RecordOf;

// Writes a value as the Erlang term that Erlang's per decoder gives for it:
// a record per SEQUENCE (asn1_NOVALUE for an absent field and for an
// addition this side lacks), {Alternative, Value} per CHOICE, an atom per
// ENUMERATED item (numbered 0, 1, 2 ...), a list per SEQUENCE OF and
// character string, a binary per OCTET STRING and BIT STRING. Names are
// written with each underscore turned into a hyphen, as the Erlang side's
// ASN.1 identifiers have them. False when the value holds something the
// term cannot express.
bool writeTerm(std::ostream& out, ASN1::AbstractData const& value, RecordOf const& records);

struct TestType {
    std::string name;                      // as the Erlang side names it
    ASN1::AbstractData::InfoType const* info;
    bool knowsAll;                         // this side knows every addition the Erlang side sends
};

struct Exchange {
    std::vector<TestType> types;
    RecordOf records;
    // Further arguments of the escript's gen and check (the schema
    // description of a generated module); empty for its own module.
    std::string description;
    unsigned erlangSeed;
    unsigned seed;  // of this side's values
    int count;      // values per type and direction
    std::function<void(ASN1::AbstractData& value, std::mt19937& random)> fill;
    // The coding rule: PER ALIGNED or BER (the escript's own module only).
    int rule = ASN1::CoderEnv::per_Aligned;
};

void exchangeWithErlang(Exchange const& exchange);

} // namespace Interop
