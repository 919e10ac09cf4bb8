#include "protocol/schemas/OpaqueType.h"

namespace Schemas {

int OpaqueType::do_compare(AbstractData const& other) const
{
    // A stand-in holds nothing, so two of the same type are equal.
    return other.info() == info() ? 0 : compareUnrelated(other);
}

ASN1::AbstractData* OpaqueType::do_clone() const { return info()->create(info()); }

bool OpaqueType::do_accept(ASN1::Visitor&) { return false; }
bool OpaqueType::do_accept(ASN1::ConstVisitor&) const { return false; }

} // namespace Schemas
