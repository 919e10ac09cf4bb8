#include "protocol/asn1/notation/ValueNotation.h"

#include "protocol/asn1/notation/IOWrapper.h"

namespace ASN1 {

std::ostream& operator<<(std::ostream& os, AbstractData const& value)
{
    return os.good() ? g_inserter(os, value) : os;
}

std::istream& operator>>(std::istream& is, AbstractData& value)
{
    return is.good() ? g_extractor(is, value) : is;
}

} // namespace ASN1
