#pragma once

#include "protocol/asn1/Coder.h"

namespace ASN1 {

// The PER coding rules as CoderEnv runs them: rule 2 (ALIGNED) and rule 3
// (UNALIGNED). Stateless; one constant object per variant.
class PERCoder : public Coder {
public:
    explicit PERCoder(bool aligned) : aligned_(aligned) {}

    bool encode(AbstractData const& value, std::vector<char>& out) const override;
    bool decode(char const* first, char const* last, CoderEnv* env, AbstractData& value) const override;

    static PERCoder const aligned;
    static PERCoder const unaligned;

private:
    bool aligned_;
};

} // namespace ASN1
