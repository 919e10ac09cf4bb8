#include "protocol/asn1/value/ConstrainedObject.h"

namespace ASN1 {

bool ConstrainedObject::belowLowerBound(int value) const
{
    InfoType const* i = info();
    if (i->type == Unconstrained)
        return false;
    if (i->lowerLimit < 0)
        return value < i->lowerLimit;
    return static_cast<unsigned>(value) < static_cast<unsigned>(i->lowerLimit);
}

bool ConstrainedObject::aboveUpperBound(int value) const
{
    InfoType const* i = info();
    if (i->type == Unconstrained || i->type == PartiallyConstrained)
        return false;
    if (i->lowerLimit < 0)
        return value > static_cast<int>(i->upperLimit);
    return static_cast<unsigned>(value) > i->upperLimit;
}

} // namespace ASN1
