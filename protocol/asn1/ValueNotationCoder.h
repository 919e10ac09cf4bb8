#pragma once
// Coding rule 0: the value-notation text as the encoding. An encode fails
// when the value has parts without text (a CHOICE without a known
// selection, an empty open type), since the text would not read back.
#include "protocol/asn1/Coder.h"

namespace ASN1 {

class ValueNotationCoder : public Coder {
public:
    bool encode(AbstractData const& value, std::vector<char>& out) const override;
    bool decode(char const* first, char const* last, CoderEnv* env, AbstractData& value) const override;
};

} // namespace ASN1
