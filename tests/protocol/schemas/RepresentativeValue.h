#pragma once
// A representative value of any schema type, made from its record alone, so
// that a test can round-trip one value of every type: every OPTIONAL field
// and known extension addition present, the last alternative of each CHOICE,
// the largest item of each enumeration, the upper bound of each ranged
// INTEGER and a negative multi-octet number for the others, two elements per
// list and strings with characters that value notation must quote. Parts
// that would have to carry a stand-in of an unknown type are left out
// (absent fields, empty lists, another alternative) where the type allows.
#include "protocol/asn1/ASN1.h"

#include <string>

namespace SchemaTest {

// Whether some value of the type can be coded: false when every value has
// to carry a stand-in.
bool codable(ASN1::AbstractData::InfoType const* info);

// Fills value, a default value made through its record.
void fillRepresentative(ASN1::AbstractData& value);

// Makes a representative value of the type, copies it, encodes it in both
// PER variants, in BER and in value notation and reads each back, comparing every
// result with the value; a type that cannot be coded must fail to encode.
// Returns what went wrong, or an empty text.
std::string roundTripRepresentative(ASN1::AbstractData::InfoType const* info);

} // namespace SchemaTest
