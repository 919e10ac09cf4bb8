#include "TestTypes.h"

namespace Demo {

using ASN1::AbstractData;
using ASN1::createAs;

ASN1::AbstractString::InfoType const Name_info = {
    {{&createAs<ASN1::IA5String>, 22}, ASN1::FixedConstraint, 1, 64}, nullptr, 128, 7, 7, 8};

namespace {
ASN1::IntegerWithNamedNumber::NameEntry const levelNames[] = {{0, "off"}, {10, "normal"}, {99, "max"}};
}

ASN1::IntegerWithNamedNumber::InfoType const Level_info = {
    {{&createAs<ASN1::IntegerWithNamedNumber>, 2}, ASN1::Unconstrained, 0, 4294967295u}, levelNames, 3};

ASN1::TypeConstrainedOpenData::InfoType const IntegerOpen_info = {
    {&createAs<ASN1::TypeConstrainedOpenData>, 0}, &ASN1::INTEGER::theInfo};

char const* const Colour::names[] = {"red", "green=8", "blue", "ef=46", nullptr};
ASN1::ENUMERATED::InfoType const Colour::theInfo = {{&createAs<Colour>, 10}, true, 46, names};

AbstractData::InfoType const* const Tone::fieldInfos[] = {&ASN1::INTEGER::theInfo, &ASN1::INTEGER::theInfo};
int const Tone::fieldIds[] = {-1, -1};
char const* const Tone::fieldNames[] = {"freq1", "freq2"};
ASN1::SEQUENCE::InfoType const Tone::theInfo = {
    {&createAs<Tone>, 16}, false, fieldInfos, fieldIds, 2, 0, 0, nullptr, nullptr, fieldNames};

AbstractData::InfoType const* const Dtmf::fieldInfos[] = {
    &Digits::theInfo, &ASN1::INTEGER::theInfo, &ASN1::INTEGER::theInfo};
int const Dtmf::fieldIds[] = {-1, 0, 1};
char const* const Dtmf::fieldNames[] = {"digits", "amp1", "amp2"};
ASN1::SEQUENCE::InfoType const Dtmf::theInfo = {
    {&createAs<Dtmf>, 16}, false, fieldInfos, fieldIds, 3, 0, 2, nullptr, nullptr, fieldNames};

AbstractData::InfoType const* const Body::selectionInfos[] = {
    &ASN1::Null::theInfo, &Colour::theInfo, &Dtmf::theInfo, &Name_info, &ASN1::BOOLEAN::theInfo};
char const* const Body::selectionNames[] = {"ping", "error", "dtmf", "name", "later"};
ASN1::CHOICE::InfoType const Body::theInfo = {
    {&createAs<Body>, 0}, true, selectionInfos, 4, 5, nullptr, selectionNames};

AbstractData::InfoType const* const Message::fieldInfos[] = {
    &ASN1::INTEGER::theInfo, &Slot::theInfo, &Body::theInfo, &ASN1::BOOLEAN::theInfo, &ASN1::IA5String::theInfo};
int const Message::fieldIds[] = {0, 1, -1, 2, 3};
char const* const Message::fieldNames[] = {"seq", "slot", "body", "flag", "note"};
ASN1::SEQUENCE::InfoType const Message::theInfo = {
    {&createAs<Message>, 16}, true, fieldInfos, fieldIds, 3, 2, 2, nullptr, nullptr, fieldNames};

ASN1::SEQUENCE::InfoType const Empty::theInfo = {
    {&createAs<Empty>, 16}, false, nullptr, nullptr, 0, 0, 0, nullptr, nullptr, nullptr};

AbstractData::InfoType const* const Everything::fieldInfos[] = {
    &ASN1::Null::theInfo, &ASN1::BOOLEAN::theInfo, &ASN1::INTEGER::theInfo, &Level_info, &Colour::theInfo,
    &ASN1::OBJECT_IDENTIFIER::theInfo, &ASN1::BIT_STRING::theInfo, &ASN1::OCTET_STRING::theInfo,
    &ASN1::IA5String::theInfo, &ASN1::PrintableString::theInfo, &ASN1::BMPString::theInfo,
    &ASN1::GeneralizedTime::theInfo, &Body::theInfo, &ASN1::SEQUENCE_OF<Tone>::theInfo,
    &ASN1::SET_OF<Colour>::theInfo, &ASN1::OpenData::theInfo, &IntegerOpen_info};
int const Everything::fieldIds[] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
char const* const Everything::fieldNames[] = {
    "null", "flag", "number", "level", "colour", "oid", "bits", "octets", "text", "printable",
    "wide", "time", "body", "tones", "masks", "open", "typed-open"};
ASN1::SEQUENCE::InfoType const Everything::theInfo = {
    {&createAs<Everything>, 16}, false, fieldInfos, fieldIds, f_count, 0, 0, nullptr, nullptr, fieldNames};

void fill(Everything& value)
{
    value.at<ASN1::BOOLEAN>(Everything::f_flag) = true;
    value.at<ASN1::INTEGER>(Everything::f_number) = -42;
    value.at<ASN1::IntegerWithNamedNumber>(Everything::f_level) = 10;
    value.at<Colour>(Everything::f_colour).setValue(Colour::ef);
    value.at<ASN1::OBJECT_IDENTIFIER>(Everything::f_oid).arcs() = {1, 2, 840, 113549};
    ASN1::BIT_STRING& bits = value.at<ASN1::BIT_STRING>(Everything::f_bits);
    bits.resize(11);
    bits.set(0);
    bits.set(10);
    value.at<ASN1::OCTET_STRING>(Everything::f_octets) = std::string("\x00\x1a\xff", 3);
    value.at<ASN1::IA5String>(Everything::f_text) = "say \"hi\"\tthen\\leave";
    value.at<ASN1::PrintableString>(Everything::f_printable) = "Board 7";
    value.at<ASN1::BMPString>(Everything::f_wide) = L"caf\u00e9";
    value.at<ASN1::GeneralizedTime>(Everything::f_time) = ASN1::GeneralizedTime(2024, 1, 2, 3, 4, 5, 9, -90, false);
    Body& body = value.at<Body>(Everything::f_body);
    body.select(Body::error);
    boost::polymorphic_downcast<Colour*>(body.getValue())->setValue(Colour::blue);
    ASN1::SEQUENCE_OF<Tone>& tones = value.at<ASN1::SEQUENCE_OF<Tone>>(Everything::f_tones);
    tones.push_back(Tone(941, 1336));
    tones.push_back(Tone(697, 1209));
    value.at<ASN1::SET_OF<Colour>>(Everything::f_masks).push_back(Colour(Colour::green));
    value.at<ASN1::OpenData>(Everything::f_open).make_buf() = {'\x01', '\x80'};
    ASN1::OpenData& typed = value.at<ASN1::OpenData>(Everything::f_typedOpen);
    boost::polymorphic_downcast<ASN1::INTEGER*>(typed.get_data())->setValue(7);
}

ValuesWithoutText::ValuesWithoutText()
{
    unknown.ref_body().select(99);
    emptyOpen.at<ASN1::OpenData>(Everything::f_open) = ASN1::OpenData();
    emptyOpen.at<Body>(Everything::f_body).select(Body::ping);
}

} // namespace Demo
