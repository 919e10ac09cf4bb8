#include "protocol/asn1/PERCoder.h"

#include "protocol/asn1/per/PERDecoder.h"
#include "protocol/asn1/per/PEREncoder.h"

namespace ASN1 {

PERCoder const PERCoder::aligned(true);
PERCoder const PERCoder::unaligned(false);

bool PERCoder::encode(AbstractData const& value, std::vector<char>& out) const
{
    return PEREncoder::encode(value, aligned_, out);
}

bool PERCoder::decode(char const* first, char const* last, CoderEnv* env, AbstractData& value) const
{
    return PERDecoder::decode(env, first, last, value, aligned_);
}

} // namespace ASN1
