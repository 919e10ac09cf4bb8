#pragma once
// ASN.1 values on streams in value notation: how every value reaches a log
// (os << value) and how tools read one back (is >> value).
#include "protocol/asn1/value/AbstractData.h"

#include <istream>
#include <ostream>

namespace ASN1 {

// Writes nothing to a stream that is not good. A value that has parts
// without text prints placeholders for them; the stream stays good.
std::ostream& operator<<(std::ostream& os, AbstractData const& value);
// Fails the stream when the text does not read as a value of the type.
std::istream& operator>>(std::istream& is, AbstractData& value);

} // namespace ASN1
