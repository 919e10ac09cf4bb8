#ifndef FUZZ_INI_FUZZ_CHECK_H
#define FUZZ_INI_FUZZ_CHECK_H

// The property the configuration-file fuzzer checks, shared with the corpus
// replay test. The input is the text of a configuration file. The parser
// never fails; what it keeps must be a tree that this file format can
// write: section names without "]" or line breaks, key names that start
// with neither a blank, "#" nor "[" and hold no line break, nor "=" past
// their first character (a line "=a=b" is the key "=a"), values
// that start with neither a blank nor "#" and hold no line break nor " #",
// no trailing blanks, line numbers within the text. Written back as text
// and parsed again, the tree must come out the same. Every block is then
// checked by a reader with required and optional keys of each kind and by
// the trace switches: a reader that accepts a block must have found each
// required key exactly once with a valid value, and every message line it
// writes starts with its prefix.
#include <cstddef>
#include <cstdint>
#include <string>

namespace IniFuzz {

enum class Outcome {
    Read,     // the property holds
    Mismatch, // it does not: a fault
};

Outcome checkInput(std::uint8_t const* data, std::size_t size, std::string& report);

} // namespace IniFuzz

#endif
