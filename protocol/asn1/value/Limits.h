#pragma once
// Limits that keep coders and readers bounded on any input.
namespace ASN1 {

// The largest element count of a SEQUENCE OF or SET OF, and the largest
// count of extension-addition bits of one SEQUENCE, that a decode accepts.
constexpr int MaximumArraySize = 128;
// The largest length of an OCTET STRING (octets), a BIT STRING (bits) or a
// character string (characters) that a decode accepts.
constexpr int MaximumStringSize = 16384;
// How deep values may nest inside one another (SEQUENCE, SEQUENCE OF, CHOICE
// and open-type levels) for the value-notation printer and reader.
constexpr int MaximumNestingDepth = 64;

} // namespace ASN1
