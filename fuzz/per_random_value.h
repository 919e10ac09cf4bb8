#ifndef FUZZ_PER_RANDOM_VALUE_H
#define FUZZ_PER_RANDOM_VALUE_H

// Fills a value tree with random contents that its type's records permit:
// integers and sizes within their constraints (sometimes outside an
// extendable one), characters from the type's set, random selections and
// present fields, lists and recursion kept small. Deterministic for a
// given generator state. Used for seed inputs, benchmarks and the
// interoperability test.
#include "protocol/asn1/ASN1.h"

#include <cstdint>
#include <functional>
#include <random>

namespace PerFuzz {

struct RandomOptions {
    bool enumerationExtensions = true; // values above an extendable ENUMERATED's maximum
    unsigned maxElements = 4;          // per SEQUENCE OF without a size constraint
    unsigned maxLength = 12;           // octets, bits or characters without a size constraint
    unsigned longLengthOneIn = 8;      // how often such a length goes up to 300 instead
    int maxDepth = 4;                  // below it, no OPTIONAL fields and no list elements
    // The weight of member `member` of a type: of a CHOICE alternative (by
    // number), how often it is selected relative to the others; of an
    // OPTIONAL field or extension addition of a SEQUENCE (by field index),
    // 0 to leave it out, else present half the time. Unset: 1 for all.
    std::function<unsigned(ASN1::AbstractData::InfoType const* type, unsigned member)> weight;
};

void fillRandom(ASN1::AbstractData& value, std::mt19937& random, RandomOptions const& options = RandomOptions());

} // namespace PerFuzz

#endif
