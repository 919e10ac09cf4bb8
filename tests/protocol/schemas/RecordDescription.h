#pragma once
// Describes a type-information record in the plain text that the schema
// generator writes, straight from the schema files, into Descriptions.inc
// ("SEQUENCE {seq INTEGER OPTIONAL0, slot INTEGER(0..1023) OPTIONAL1, pdu
// ZUZU.PDU}"), so that a test compares each generated record with its
// table. Whatever a record has that no schema table can say (a wrong tag, a
// tag table, an optional count that does not match the fields, a sized
// string without the sized-string character widths) shows as a "<...>" mark.
#include "protocol/asn1/ASN1.h"

#include <map>
#include <string>

namespace SchemaTest {

struct Description {
    char const* name;
    char const* text;
};

class RecordDescriber {
public:
    typedef ASN1::AbstractData::InfoType Record;

    // names: the qualified name of each named type's record (SEQUENCE,
    // CHOICE, ENUMERATED and stand-ins); members of those types are
    // described by that name, everything else by its structure.
    explicit RecordDescriber(std::map<Record const*, std::string> names) : names_(std::move(names)) {}

    // The structure of the type of the record.
    std::string describe(Record const* info) const;

    // Whether a description names a type that has a class of its own
    // rather than an alias of a simple or list type.
    static bool isNamedKind(std::string const& description);

private:
    std::string member(Record const* info) const;

    std::map<Record const*, std::string> names_;
};

} // namespace SchemaTest
