#include "protocol/asn1/BERCoder.h"

#include "protocol/asn1/ber/BERDecoder.h"
#include "protocol/asn1/ber/BEREncoder.h"

namespace ASN1 {

bool BERCoder::encode(AbstractData const& value, std::vector<char>& out) const
{
    return BEREncoder::encode(value, out);
}

bool BERCoder::decode(char const* first, char const* last, CoderEnv* env, AbstractData& value) const
{
    return BERDecoder::decode(env, first, last, value);
}

} // namespace ASN1
