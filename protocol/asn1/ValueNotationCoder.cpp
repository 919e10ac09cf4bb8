#include "protocol/asn1/ValueNotationCoder.h"

#include "protocol/asn1/notation/AVNDecoder.h"
#include "protocol/asn1/notation/AVNEncoder.h"

#include <sstream>

namespace ASN1 {

bool ValueNotationCoder::encode(AbstractData const& value, std::vector<char>& out) const
{
    std::ostringstream text;
    AVNEncoder printer(text);
    if (!printer.print(value) || !printer.complete())
        return false;
    std::string const& result = text.str();
    out.assign(result.begin(), result.end());
    return true;
}

bool ValueNotationCoder::decode(char const* first, char const* last, CoderEnv*, AbstractData& value) const
{
    std::istringstream text(std::string(first, last));
    AVNDecoder reader(text);
    return reader.read(value);
}

} // namespace ASN1
