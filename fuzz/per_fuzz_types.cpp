#include "fuzz/per_fuzz_types.h"

namespace PerFuzz {

using ASN1::AbstractData;
using ASN1::createAs;

namespace {

typedef ASN1::INTEGER::InfoType IntegerInfo;

IntegerInfo const Lower_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::PartiallyConstrained, 5, 4294967295u};
IntegerInfo const Byte_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::FixedConstraint, -128, 127};
IntegerInfo const Range_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::FixedConstraint, 0, 1000};
IntegerInfo const Wide_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::FixedConstraint, 0, 4294967295u};
IntegerInfo const Ext_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::ExtendableConstraint, 0, 15};
IntegerInfo const Negative_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::ExtendableConstraint, -5, unsigned(-1)};
IntegerInfo const Num_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::FixedConstraint, 0, 2};
IntegerInfo const Value_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::FixedConstraint, 0, 255};
IntegerInfo const Typed_info = {{&createAs<ASN1::INTEGER>, 2}, ASN1::FixedConstraint, 0, 7};

ASN1::IntegerWithNamedNumber::NameEntry const levelNames[] = {{0, "off"}, {10, "normal"}};
ASN1::IntegerWithNamedNumber::InfoType const Level_info = {
    {{&createAs<ASN1::IntegerWithNamedNumber>, 2}, ASN1::Unconstrained, 0, 4294967295u}, levelNames, 2};

ASN1::BIT_STRING::InfoType const FixedBits_info = {{&createAs<ASN1::BIT_STRING>, 3}, ASN1::FixedConstraint, 12, 12};
ASN1::BIT_STRING::InfoType const ExtBits_info = {{&createAs<ASN1::BIT_STRING>, 3}, ASN1::ExtendableConstraint, 0, 20};
ASN1::OCTET_STRING::InfoType const Pair_info = {{&createAs<ASN1::OCTET_STRING>, 4}, ASN1::FixedConstraint, 1, 2};
ASN1::OCTET_STRING::InfoType const SizedOctets_info = {
    {&createAs<ASN1::OCTET_STRING>, 4}, ASN1::ExtendableConstraint, 3, 10};

ASN1::AbstractString::InfoType const Name_info = {
    {{&createAs<ASN1::IA5String>, 22}, ASN1::FixedConstraint, 1, 64}, nullptr, 128, 7, 7, 8};
ASN1::AbstractString::InfoType const Tiny_info = {
    {{&createAs<ASN1::IA5String>, 22}, ASN1::FixedConstraint, 0, 2}, nullptr, 128, 7, 7, 8};
ASN1::BMPString::InfoType const ShortBmp_info = {
    {{&createAs<ASN1::BMPString>, 30}, ASN1::FixedConstraint, 1, 1}, 0, 65535, 16, 16};

ASN1::SEQUENCE_OF_Base::InfoType const LeafList_info = {
    {{&createAs<ASN1::SEQUENCE_OF_Base>, 16}, ASN1::Unconstrained, 0, 4294967295u}, &Leaf_info};
ASN1::SEQUENCE_OF_Base::InfoType const NodeList_info = {
    {{&createAs<ASN1::SEQUENCE_OF_Base>, 16}, ASN1::Unconstrained, 0, 4294967295u}, &Node_info};
ASN1::SEQUENCE_OF_Base::InfoType const FewNodes_info = {
    {{&createAs<ASN1::SEQUENCE_OF_Base>, 16}, ASN1::FixedConstraint, 0, 3}, &Node_info};

ASN1::TypeConstrainedOpenData::InfoType const Typed_open_info = {
    {&createAs<ASN1::TypeConstrainedOpenData>, 0}, &Typed_info};

char const* const smallNames[] = {"a", "b", "c", nullptr};
char const* const gappyNames[] = {"x", "y=5", "z=9", nullptr};

AbstractData::InfoType const* const leafAlternatives[] = {&ASN1::Null::theInfo, &ASN1::BOOLEAN::theInfo, &Num_info};
char const* const leafNames[] = {"none", "flag", "num"};

AbstractData::InfoType const* const nodeFields[] = {&Value_info, &Node_info, &NodeList_info, &ASN1::IA5String::theInfo};
int const nodeIds[] = {-1, 0, -1, 1};
char const* const nodeNames[] = {"value", "next", "kids", "tag"};

AbstractData::InfoType const* const altAlternatives[] = {
    &ASN1::INTEGER::theInfo, &ASN1::OCTET_STRING::theInfo, &Node_info, &ASN1::BOOLEAN::theInfo, &Leaf_info};
char const* const altNames[] = {"a", "b", "c", "d", "e"};

AbstractData::InfoType const* const fuzzFields[] = {
    &ASN1::Null::theInfo, &ASN1::BOOLEAN::theInfo, &ASN1::INTEGER::theInfo, &Lower_info, &Byte_info,
    &Range_info, &Wide_info, &Ext_info, &Negative_info, &Level_info,
    &Small_info, &Gappy_info, &ASN1::OBJECT_IDENTIFIER::theInfo, &ASN1::BIT_STRING::theInfo, &FixedBits_info,
    &ExtBits_info, &ASN1::OCTET_STRING::theInfo, &Pair_info, &SizedOctets_info,
    &ASN1::IA5String::theInfo, &Name_info, &Tiny_info, &ASN1::NumericString::theInfo,
    &ASN1::PrintableString::theInfo, &ASN1::VisibleString::theInfo, &ASN1::GeneralString::theInfo,
    &ASN1::BMPString::theInfo, &ShortBmp_info,
    &ASN1::GeneralizedTime::theInfo, &Alt_info, &Leaf_info, &LeafList_info, &FewNodes_info,
    &ASN1::OpenData::theInfo, &Typed_open_info, &ASN1::BOOLEAN::theInfo, &Node_info,
    &ASN1::BOOLEAN::theInfo, &Alt_info, &ASN1::OCTET_STRING::theInfo};
int const fuzzIds[] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 3, 4};
char const* const fuzzNames[] = {
    "null", "flag", "any", "lower", "byte", "range", "wide", "ext", "negative", "level",
    "small", "gappy", "oid", "bits", "fixedBits", "extBits", "octets", "pair", "sizedOctets",
    "ia5", "name", "tiny", "digits", "printable", "visible", "general", "bmp", "shortBmp",
    "time", "alt", "leaf", "list", "nodes", "open", "typed", "opt1", "opt2",
    "add1", "add2", "add3"};

static_assert(sizeof fuzzFields / sizeof fuzzFields[0] == f_add3 + 1, "one record per field");
static_assert(sizeof fuzzIds / sizeof fuzzIds[0] == f_add3 + 1, "one option number per field");
static_assert(sizeof fuzzNames / sizeof fuzzNames[0] == f_add3 + 1, "one name per field");

} // namespace

ASN1::ENUMERATED::InfoType const Small_info = {{&createAs<ASN1::ENUMERATED>, 10}, false, 2, smallNames};
ASN1::ENUMERATED::InfoType const Gappy_info = {{&createAs<ASN1::ENUMERATED>, 10}, true, 9, gappyNames};
ASN1::CHOICE::InfoType const Leaf_info = {{&createAs<ASN1::CHOICE>, 0}, false, leafAlternatives, 3, 3, nullptr, leafNames};
ASN1::SEQUENCE::InfoType const Node_info = {
    {&createAs<ASN1::SEQUENCE>, 16}, true, nodeFields, nodeIds, 3, 1, 1, nullptr, nullptr, nodeNames};
ASN1::CHOICE::InfoType const Alt_info = {{&createAs<ASN1::CHOICE>, 0}, true, altAlternatives, 3, 5, nullptr, altNames};
ASN1::SEQUENCE::InfoType const Fuzz_info = {
    {&createAs<ASN1::SEQUENCE>, 16}, true, fuzzFields, fuzzIds, f_rootCount, 3, 2, nullptr, nullptr, fuzzNames};

} // namespace PerFuzz
