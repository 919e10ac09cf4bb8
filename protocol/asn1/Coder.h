#pragma once
// One coding rule's encoder and decoder as CoderEnv runs them, and the table
// that gives the coder of each rule. A coder of a new rule implements Coder
// and is entered in coderForRule (CoderEnv.cpp).
#include <vector>

namespace ASN1 {

class AbstractData;
class CoderEnv;

class Coder {
public:
    virtual ~Coder() = default;
    // Writes the complete encoding of value to out, which starts empty.
    // On failure the contents of out are discarded by the caller.
    virtual bool encode(AbstractData const& value, std::vector<char>& out) const = 0;
    // Fills value from [first, last). env is the environment that nested
    // decodes are handed, or null when the decode was deferred.
    virtual bool decode(char const* first, char const* last, CoderEnv* env, AbstractData& value) const = 0;
};

// The coder of an encoding rule (CoderEnv::EncodingRules); null when the
// program has none for it.
Coder const* coderForRule(int rule);

} // namespace ASN1
