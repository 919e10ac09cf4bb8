#pragma once
// The 8-bit character string types (IA5String, PrintableString,
// VisibleString, NumericString, GeneralString): one class, AbstractString,
// whose record tells which type it is, what characters it may hold and in
// how many bits the PER coder writes each one. The built-in types are the
// thin classes CharacterString<tag>, each bound to its own record; a
// size-constrained type of a schema gives its values their class by its
// record's create word (for example createAs<IA5String>).
#include "protocol/asn1/value/ConstrainedObject.h"

#include <string>

namespace ASN1 {

class AbstractString : public ConstrainedObject, public std::string {
public:
    // The bounds constrain the character count.
    struct InfoType : ConstrainedObject::InfoType {
        char const* characterSet; // ascending codes; null when never consulted
        unsigned characterSetSize;
        unsigned canonicalBits;   // bits in which every character's own code fits
        unsigned unalignedBits;
        unsigned alignedBits;
    };

    explicit AbstractString(InfoType const* info) : ConstrainedObject(info) {}
    AbstractString(InfoType const* info, std::string const& text) : ConstrainedObject(info), std::string(text) {}
    AbstractString(InfoType const* info, char const* text) : ConstrainedObject(info), std::string(text) {}

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }
    using ConstrainedObject::compare;
    AbstractString& operator=(std::string const& text);
    AbstractString& operator=(char const* text);

    bool isValid() const;
    bool isStrictlyValid() const;
    // Whether the type's alphabet holds the character.
    bool legalCharacter(char c) const;
    // The index of the first character outside the alphabet, or the length.
    size_type first_illegal_at() const;

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;
};

template <unsigned Tag>
class CharacterString : public AbstractString {
public:
    static InfoType const theInfo;

    explicit CharacterString(InfoType const* info = &theInfo) : AbstractString(info) {}
    CharacterString(std::string const& text, InfoType const* info = &theInfo) : AbstractString(info, text) {}
    CharacterString(char const* text, InfoType const* info = &theInfo) : AbstractString(info, text) {}

    using AbstractString::operator=;
};

typedef CharacterString<18> NumericString;
typedef CharacterString<19> PrintableString;
typedef CharacterString<22> IA5String;
typedef CharacterString<26> VisibleString;
typedef CharacterString<27> GeneralString;

template <> AbstractString::InfoType const NumericString::theInfo;
template <> AbstractString::InfoType const PrintableString::theInfo;
template <> AbstractString::InfoType const IA5String::theInfo;
template <> AbstractString::InfoType const VisibleString::theInfo;
template <> AbstractString::InfoType const GeneralString::theInfo;

// The permitted characters of the built-in types, in ascending code order.
extern char const* const NumericStringSet;   // space, 0-9
extern char const* const PrintableStringSet; // space ' ( ) + , - . / 0-9 : = ? A-Z a-z
extern char const* const VisibleStringSet;   // codes 32..126
extern char const* const IA5StringSet;       // codes 0..127
extern char const* const GeneralStringSet;   // codes 0..255

} // namespace ASN1
