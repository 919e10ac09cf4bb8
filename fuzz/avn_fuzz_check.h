#ifndef FUZZ_AVN_FUZZ_CHECK_H
#define FUZZ_AVN_FUZZ_CHECK_H

// The property the value-notation fuzzer checks, shared with the corpus
// replay test. The input is the text of a ZUZU::Message in value notation.
// Whatever the reader accepts and the printer writes completely (without
// placeholders) must read back from the printed text to an equal value that
// prints the same; when the value can be written in PER (ALIGNED), its
// encoding must decode to an equal value and pass the PER round trip.
#include "fuzz/per_fuzz_check.h"

namespace PerFuzz {

Outcome checkValueNotation(std::uint8_t const* data, std::size_t size, std::string& report);

} // namespace PerFuzz

#endif
