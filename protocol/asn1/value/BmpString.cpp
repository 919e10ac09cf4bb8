#include "protocol/asn1/value/BmpString.h"

#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

BMPString::InfoType const BMPString::theInfo = {
    {{&createAs<BMPString>, 30}, Unconstrained, 0, 4294967295u}, 0, 65535, 16, 16};

BMPString& BMPString::operator=(std::wstring const& text)
{
    assign(text);
    return *this;
}

BMPString& BMPString::operator=(wchar_t const* text)
{
    assign(text);
    return *this;
}

int BMPString::do_compare(AbstractData const& other) const
{
    BMPString const* peer = peerOf<BMPString>(other);
    if (!peer)
        return compareUnrelated(other);
    int order = std::wstring::compare(*peer);
    return (order > 0) - (order < 0);
}

AbstractData* BMPString::do_clone() const { return cloneThroughRecord(*this); }
bool BMPString::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool BMPString::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
