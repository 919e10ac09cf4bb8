#pragma once
// A value whose type carries a constraint: the range of an INTEGER, or the
// size range of a string or a list. The bounds are read with one rule
// everywhere (printing, reading, coding, checking): when the lower bound is
// 0 or more, the bounds and the value are unsigned 32-bit numbers, so that
// 0..4294967295 holds every 32-bit pattern; when it is negative, they are
// signed.
#include "protocol/asn1/value/AbstractData.h"

namespace ASN1 {

enum ConstraintType {
    Unconstrained = 0,
    PartiallyConstrained = 1, // lower bound only
    FixedConstraint = 2,      // lb..ub
    ExtendableConstraint = 3, // lb..ub, ...
};

class ConstrainedObject : public AbstractData {
public:
    struct InfoType : AbstractData::InfoType {
        ConstraintType type;
        int lowerLimit;
        unsigned upperLimit;
    };

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }

    ConstraintType constraintType() const { return info()->type; }
    int getLowerLimit() const { return info()->lowerLimit; }
    unsigned getUpperLimit() const { return info()->upperLimit; }
    bool extendable() const { return info()->type == ExtendableConstraint; }

    // Whether values of this type are unsigned numbers: constrained, with a
    // lower bound of 0 or more.
    bool isUnsignedRange() const { return info()->type != Unconstrained && info()->lowerLimit >= 0; }
    // Whether a value lies outside the bounds that its constraint kind sets;
    // an unconstrained type has none, a lower-bound-only type no upper one.
    bool belowLowerBound(int value) const;
    bool aboveUpperBound(int value) const;

protected:
    explicit ConstrainedObject(InfoType const* info) : AbstractData(info) {}
};

} // namespace ASN1
