#include "protocol/asn1/value/BitString.h"

#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

BIT_STRING::InfoType const BIT_STRING::theInfo = {{&createAs<BIT_STRING>, 3}, Unconstrained, 0, 4294967295u};

int BIT_STRING::do_compare(AbstractData const& other) const
{
    BIT_STRING const* peer = peerOf<BIT_STRING>(other);
    return peer ? bits_.compare(peer->bits_) : compareUnrelated(other);
}

AbstractData* BIT_STRING::do_clone() const { return cloneThroughRecord(*this); }
bool BIT_STRING::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool BIT_STRING::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
