#include "protocol/asn1/value/CharacterString.h"

#include "protocol/asn1/value/Visitor.h"

#include <cstddef>

namespace ASN1 {

namespace {

template <std::size_t N>
struct CodeRange {
    char codes[N];
};

template <std::size_t N>
constexpr CodeRange<N> codesFrom(unsigned first)
{
    CodeRange<N> range{};
    for (std::size_t i = 0; i < N; ++i)
        range.codes[i] = static_cast<char>(first + i);
    return range;
}

constexpr CodeRange<95> visibleCodes = codesFrom<95>(32);
constexpr CodeRange<128> ia5Codes = codesFrom<128>(0);
constexpr CodeRange<256> generalCodes = codesFrom<256>(0);
constexpr char numericCodes[] = " 0123456789";
constexpr char printableCodes[] = " '()+,-./0123456789:=?ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

static_assert(sizeof numericCodes - 1 == 11 && sizeof printableCodes - 1 == 74);

} // namespace

char const* const NumericStringSet = numericCodes;
char const* const PrintableStringSet = printableCodes;
char const* const VisibleStringSet = visibleCodes.codes;
char const* const IA5StringSet = ia5Codes.codes;
char const* const GeneralStringSet = generalCodes.codes;

template <>
AbstractString::InfoType const NumericString::theInfo = {
    {{&createAs<NumericString>, 18}, Unconstrained, 0, 4294967295u}, numericCodes, 11, 4, 4, 4};
template <>
AbstractString::InfoType const PrintableString::theInfo = {
    {{&createAs<PrintableString>, 19}, Unconstrained, 0, 4294967295u}, printableCodes, 74, 7, 7, 8};
template <>
AbstractString::InfoType const IA5String::theInfo = {
    {{&createAs<IA5String>, 22}, Unconstrained, 0, 4294967295u}, ia5Codes.codes, 128, 7, 7, 8};
template <>
AbstractString::InfoType const VisibleString::theInfo = {
    {{&createAs<VisibleString>, 26}, Unconstrained, 0, 4294967295u}, visibleCodes.codes, 95, 7, 7, 8};
template <>
AbstractString::InfoType const GeneralString::theInfo = {
    {{&createAs<GeneralString>, 27}, Unconstrained, 0, 4294967295u}, generalCodes.codes, 256, 8, 8, 8};

AbstractString& AbstractString::operator=(std::string const& text)
{
    assign(text);
    return *this;
}

AbstractString& AbstractString::operator=(char const* text)
{
    assign(text);
    return *this;
}

int AbstractString::do_compare(AbstractData const& other) const
{
    AbstractString const* peer = peerOf<AbstractString>(other);
    if (!peer)
        return compareUnrelated(other);
    int order = std::string::compare(*peer);
    return (order > 0) - (order < 0);
}

AbstractData* AbstractString::do_clone() const { return cloneThroughRecord(*this); }
bool AbstractString::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool AbstractString::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
