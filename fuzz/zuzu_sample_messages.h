#ifndef FUZZ_ZUZU_SAMPLE_MESSAGES_H
#define FUZZ_ZUZU_SAMPLE_MESSAGES_H

// Control-link messages of the kinds the control server handles, built
// through the generated classes: the seed corpus of the ZUZU::Message
// fuzzer (fuzz/corpus/zuzu/seed-NAME holds the encoding of message NAME)
// and the frames of the message benchmark.
#include "protocol/schemas/ZUZU.h"

#include <string>
#include <vector>

namespace PerFuzz {

struct SampleMessage {
    char const* name;
    ZUZU::Message (*make)();
};

std::vector<SampleMessage> const& sampleMessages();

// The named sample; a message without body when there is none.
ZUZU::Message sampleMessage(std::string const& name);

} // namespace PerFuzz

#endif
