#ifndef FUZZ_HEX_TEXT_H
#define FUZZ_HEX_TEXT_H

// Octet strings as hexadecimal text and back, for the reports of the PER
// fuzzer and the PER tests.
#include <initializer_list>
#include <string>
#include <vector>

namespace PerFuzz {

// Two upper-case digits per octet, each pair followed by `separator`.
inline std::string hexText(std::vector<char> const& octets, char const* separator = "")
{
    static char const digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : octets) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
        out += separator;
    }
    return out;
}

// Octets written as a list of numbers 0..255.
inline std::vector<char> octetsOf(std::initializer_list<int> values)
{
    std::vector<char> out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

} // namespace PerFuzz

#endif
