#include "protocol/asn1/value/Boolean.h"

#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

BOOLEAN::InfoType const BOOLEAN::theInfo = {&createAs<BOOLEAN>, 1};

int BOOLEAN::do_compare(AbstractData const& other) const
{
    BOOLEAN const* peer = peerOf<BOOLEAN>(other);
    return peer ? compareValues(value_, peer->value_) : compareUnrelated(other);
}

AbstractData* BOOLEAN::do_clone() const { return cloneThroughRecord(*this); }
bool BOOLEAN::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool BOOLEAN::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
