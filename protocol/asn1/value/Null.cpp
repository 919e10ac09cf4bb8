#include "protocol/asn1/value/Null.h"

#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

Null::InfoType const Null::theInfo = {&createAs<Null>, 5};

int Null::do_compare(AbstractData const& other) const
{
    return peerOf<Null>(other) ? 0 : compareUnrelated(other);
}

AbstractData* Null::do_clone() const { return cloneThroughRecord(*this); }
bool Null::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool Null::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
