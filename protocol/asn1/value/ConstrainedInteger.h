#pragma once
// An INTEGER type with a range, as a typed template carrying its record.
// Its value reads as unsigned when the range starts at 0 or above and as
// signed when it starts below 0, so that 0..4294967295 holds its whole range
// and -128..127 its negative numbers.
#include "protocol/asn1/value/Integer.h"

#include <type_traits>

namespace ASN1 {

template <ConstraintType Kind, int LowerLimit, unsigned UpperLimit>
class Constrained_INTEGER : public INTEGER {
public:
    typedef std::conditional_t<(LowerLimit < 0), int, unsigned> value_type;
    static InfoType const theInfo;

    Constrained_INTEGER() : INTEGER(&theInfo) {}
    explicit Constrained_INTEGER(value_type value) : INTEGER(static_cast<int>(value), &theInfo) {}

    value_type getValue() const { return static_cast<value_type>(INTEGER::getValue()); }
    Constrained_INTEGER& operator=(value_type value)
    {
        setValue(static_cast<int>(value));
        return *this;
    }
};

template <ConstraintType Kind, int LowerLimit, unsigned UpperLimit>
INTEGER::InfoType const Constrained_INTEGER<Kind, LowerLimit, UpperLimit>::theInfo = {
    {&createAs<Constrained_INTEGER<Kind, LowerLimit, UpperLimit>>, 2}, Kind, LowerLimit, UpperLimit};

} // namespace ASN1
