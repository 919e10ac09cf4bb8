#pragma once
// ASN.1 BMPString: one character per wchar_t.
#include "protocol/asn1/value/ConstrainedObject.h"

#include <string>

namespace ASN1 {

class BMPString : public ConstrainedObject, public std::wstring {
public:
    // The bounds constrain the character count.
    struct InfoType : ConstrainedObject::InfoType {
        unsigned firstChar;
        unsigned lastChar;
        unsigned unalignedBits;
        unsigned alignedBits;
    };
    static InfoType const theInfo;

    explicit BMPString(InfoType const* info = &theInfo) : ConstrainedObject(info) {}
    BMPString(std::wstring const& text, InfoType const* info = &theInfo) : ConstrainedObject(info), std::wstring(text) {}
    BMPString(wchar_t const* text, InfoType const* info = &theInfo) : ConstrainedObject(info), std::wstring(text) {}

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }
    using ConstrainedObject::compare;
    BMPString& operator=(std::wstring const& text);
    BMPString& operator=(wchar_t const* text);

    bool isValid() const;
    bool isStrictlyValid() const;
    // Whether the character lies in the type's permitted range.
    bool legalCharacter(wchar_t c) const;
    // The index of the first character outside the range, or the length.
    size_type first_illegal_at() const;

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;
};

} // namespace ASN1
