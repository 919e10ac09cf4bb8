#include "protocol/asn1/CoderEnv.h"

#include "protocol/asn1/BERCoder.h"
#include "protocol/asn1/Coder.h"
#include "protocol/asn1/PERCoder.h"
#include "protocol/asn1/ValueNotationCoder.h"
#include "protocol/asn1/per/PEREncoder.h"

namespace ASN1 {

Coder const* coderForRule(int rule)
{
    static ValueNotationCoder const valueNotation;
    static BERCoder const basic;
    switch (rule) {
    case CoderEnv::avn:
        return &valueNotation;
    case CoderEnv::ber:
        return &basic;
    case CoderEnv::per_Aligned:
        return &PERCoder::aligned;
    case CoderEnv::per_Unaligned:
        return &PERCoder::unaligned;
    default:
        return nullptr;
    }
}

bool CoderEnv::encodeToBuffer(int rule, AbstractData const& value, std::vector<char>& buffer) const
{
    // PER ALIGNED, the rule of every link, goes to its encoder directly:
    // no table lookup and no virtual call per message.
    if (rule == per_Aligned)
        return PEREncoder::encode(value, true, buffer);
    Coder const* coder = coderForRule(rule);
    return coder && coder->encode(value, buffer);
}

bool CoderEnv::decode(char const* first, char const* last, AbstractData& value, bool defer)
{
    Coder const* coder = coderForRule(encodingRule_);
    if (!coder || last < first)
        return false;
    return coder->decode(first, last, defer ? nullptr : this, value);
}

bool decode(char const* first, char const* last, CoderEnv* env, AbstractData& value, bool defer)
{
    return env && env->decode(first, last, value, defer);
}

} // namespace ASN1
