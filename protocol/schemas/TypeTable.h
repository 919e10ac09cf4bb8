#pragma once
// Every type of every schema module by its qualified name, "MODULE.Type"
// (for example "ZUZU.Message"), with its type-information record. Tools and
// tests use it to make a value of a type named at run time; the program's
// own code names its types in C++.
#include "protocol/asn1/value/AbstractData.h"

#include <string_view>

namespace Schemas {

struct TypeEntry {
    char const* name;
    ASN1::AbstractData::InfoType const* info;
};

// Sorted by name (byte order).
extern TypeEntry const typeTable[];
extern unsigned const typeCount;

// The record of the named type; null when no module has it.
ASN1::AbstractData::InfoType const* findType(std::string_view qualifiedName);

} // namespace Schemas
