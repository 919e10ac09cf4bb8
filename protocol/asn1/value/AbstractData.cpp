#include "protocol/asn1/value/AbstractData.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace ASN1 {

int AbstractData::compareUnrelated(AbstractData const& other) const
{
    std::less<InfoType const*> before;
    if (before(info(), other.info()))
        return -1;
    return before(other.info(), info()) ? 1 : 0;
}

int compareOctets(char const* a, std::size_t aLength, char const* b, std::size_t bLength)
{
    std::size_t common = std::min(aLength, bLength);
    int order = common ? std::memcmp(a, b, common) : 0;
    if (order != 0)
        return order < 0 ? -1 : 1;
    return compareValues(aLength, bLength);
}

} // namespace ASN1
