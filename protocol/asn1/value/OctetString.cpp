#include "protocol/asn1/value/OctetString.h"

#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

OCTET_STRING::InfoType const OCTET_STRING::theInfo = {{&createAs<OCTET_STRING>, 4}, Unconstrained, 0, 4294967295u};

OCTET_STRING& OCTET_STRING::operator=(std::vector<char> const& octets)
{
    std::vector<char>::operator=(octets);
    return *this;
}

OCTET_STRING& OCTET_STRING::operator=(std::string const& octets)
{
    assign(octets.begin(), octets.end());
    return *this;
}

int OCTET_STRING::do_compare(AbstractData const& other) const
{
    OCTET_STRING const* peer = peerOf<OCTET_STRING>(other);
    if (!peer)
        return compareUnrelated(other);
    return compareOctets(data(), size(), peer->data(), peer->size());
}

AbstractData* OCTET_STRING::do_clone() const { return cloneThroughRecord(*this); }
bool OCTET_STRING::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool OCTET_STRING::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
