#ifndef FUZZ_PER_FUZZ_TYPES_H
#define FUZZ_PER_FUZZ_TYPES_H

// A synthetic schema with a field of every value class and of every coding
// path of the PER coder, for the decoder fuzzer, its corpus replay and the
// PER benchmark. Values are plain ASN1 classes carrying these records.
//
//   Small  ::= ENUMERATED { a, b, c }
//   Gappy  ::= ENUMERATED { x, y(5), z(9), ... }
//   Leaf   ::= CHOICE { none NULL, flag BOOLEAN, num INTEGER (0..2) }
//   Node   ::= SEQUENCE { value INTEGER (0..255), next Node OPTIONAL,
//                         kids SEQUENCE OF Node, ..., tag IA5String }
//   Alt    ::= CHOICE { a INTEGER, b OCTET STRING, c Node, ..., d BOOLEAN, e Leaf }
//   Fuzz   ::= SEQUENCE { one field per class and constraint (fieldNames),
//                         two OPTIONAL fields, ..., three additions }
#include "protocol/asn1/ASN1.h"

namespace PerFuzz {

extern ASN1::ENUMERATED::InfoType const Small_info;
extern ASN1::ENUMERATED::InfoType const Gappy_info;
extern ASN1::CHOICE::InfoType const Leaf_info;
extern ASN1::SEQUENCE::InfoType const Node_info;
extern ASN1::CHOICE::InfoType const Alt_info;
extern ASN1::SEQUENCE::InfoType const Fuzz_info;

enum FuzzField {
    f_null, f_flag, f_any, f_lower, f_byte, f_range, f_wide, f_ext, f_negative, f_level,
    f_small, f_gappy, f_oid, f_bits, f_fixedBits, f_extBits, f_octets, f_pair, f_sizedOctets,
    f_ia5, f_name, f_tiny, f_digits, f_printable, f_visible, f_general, f_bmp, f_shortBmp,
    f_time, f_alt, f_leaf, f_list, f_nodes, f_open, f_typed, f_opt1, f_opt2,
    f_rootCount,
    f_add1 = f_rootCount, f_add2, f_add3,
};

} // namespace PerFuzz

#endif
