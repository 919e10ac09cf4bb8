#ifndef FUZZ_PER_FUZZ_CHECK_H
#define FUZZ_PER_FUZZ_CHECK_H

// The property the PER decoder fuzzer checks, shared with the corpus replay
// test: the first octet of an input selects the variant (low bit 1:
// ALIGNED), the rest is decoded as a PerFuzz::Fuzz value. Whatever decodes
// and can be written back must decode again from its re-encoding to an
// equal value, and re-encode to the same octets. A decoded value that the
// encoder refuses (the decoder is lenient where the coding rules are, for
// example about values above an upper bound) ends the check there.
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

Outcome checkRoundTrip(std::uint8_t const* data, std::size_t size, std::string& report);

} // namespace PerFuzz

#endif
