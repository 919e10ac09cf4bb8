#pragma once
// Tag values as the BER coder uses them: one 32-bit number per tag, the
// class in bits 22..23 (0 universal, 1 application, 2 context-specific,
// 3 private) and the tag number in bits 0..15, so that [n] is
// 0x800000 + n and the universal SEQUENCE tag is 16. A tag value of 0 marks
// an untagged type (a CHOICE, an open type). The identifier octet's class
// bits are bits 16..23 of the tag value shifted down.
#include "protocol/asn1/value/Choice.h"
#include "protocol/asn1/value/Sequence.h"

namespace ASN1 {
namespace BER {

constexpr unsigned contextTag = 0x800000;
constexpr unsigned tagNumberMask = 0xFFFF;
// The tag override of the encoder when no override is set.
constexpr unsigned noTag = 0xFFFFFFFFu;

inline unsigned tagClass(unsigned tag) { return (tag >> 22) & 3; }
inline unsigned tagNumber(unsigned tag) { return tag & tagNumberMask; }
inline unsigned makeTag(unsigned tagClass, unsigned number) { return tagClass << 22 | number; }

// The tag that field `index` of a SEQUENCE is written under: [index] without
// a tag table, the field type's own tag under the default-tag marker, else
// the table entry.
unsigned fieldTag(SEQUENCE::InfoType const& info, unsigned index);
// The tag of alternative `index` of a CHOICE: the table entry of a root
// alternative when there is a table, else [index].
unsigned alternativeTag(CHOICE::InfoType const& info, unsigned index);

} // namespace BER
} // namespace ASN1
