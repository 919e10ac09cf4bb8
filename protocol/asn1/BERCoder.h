#pragma once

#include "protocol/asn1/Coder.h"

namespace ASN1 {

// The basic encoding rules as CoderEnv runs them: rule 1. Stateless.
class BERCoder : public Coder {
public:
    bool encode(AbstractData const& value, std::vector<char>& out) const override;
    bool decode(char const* first, char const* last, CoderEnv* env, AbstractData& value) const override;
};

} // namespace ASN1
