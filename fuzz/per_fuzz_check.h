#ifndef FUZZ_PER_FUZZ_CHECK_H
#define FUZZ_PER_FUZZ_CHECK_H

// The property the PER decoder fuzzers check, shared with the corpus replay
// test: whatever decodes as a value of the target type and can be written
// back must decode again from its re-encoding to an equal value, and
// re-encode to the same octets. A decoded value that the encoder refuses
// (the decoder is lenient where the coding rules are, for example about
// values above an upper bound) ends the check there.
//
// Two targets use it: the synthetic PerFuzz::Fuzz type, whose first input
// octet selects the variant (low bit 1: ALIGNED), and ZUZU::Message, whose
// input is a whole control-link message in the ALIGNED variant. The BER
// decoder fuzzer checks the same property of the BER coder on the
// synthetic type, whose whole input is the encoding.
#include "protocol/asn1/Coder.h"
#include "protocol/asn1/value/AbstractData.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace PerFuzz {

enum class Outcome {
    Rejected,      // the input does not decode
    RoundTripped,  // decoded, re-encoded, decoded and compared equal
    NotWritable,   // decoded to a value the encoder refuses
    Mismatch,      // the property does not hold: a fault
};

// The property for the `size` octets at `data` as a value of `type`.
Outcome checkRoundTrip(ASN1::AbstractData::InfoType const* type, bool aligned, std::uint8_t const* data,
                       std::size_t size, std::string& report);

// The same for any coder.
Outcome checkRoundTrip(ASN1::Coder const& coder, ASN1::AbstractData::InfoType const* type, std::uint8_t const* data,
                       std::size_t size, std::string& report);

// The PerFuzz::Fuzz target: the variant octet, then the encoding.
Outcome checkFuzzInput(std::uint8_t const* data, std::size_t size, std::string& report);
// The PerFuzz::Fuzz target in BER.
Outcome checkBerInput(std::uint8_t const* data, std::size_t size, std::string& report);

} // namespace PerFuzz

#endif
