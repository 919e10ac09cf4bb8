#pragma once
// Octets as hexadecimal text and back, for tests, tools and fuzzers alike:
// two upper-case digits per octet with a separator between octets, and
// digit pairs read back with white space allowed anywhere. Works on vectors
// of char and of unsigned char; needs nothing but the standard library.
#include <cctype>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

inline std::string hexText(void const* data, std::size_t size, char const* separator = " ")
{
    static char const digits[] = "0123456789ABCDEF";
    auto const* octet = static_cast<unsigned char const*>(data);
    std::string text;
    text.reserve(size * 3);
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0)
            text += separator;
        text += digits[octet[i] >> 4];
        text += digits[octet[i] & 15];
    }
    return text;
}

// "5A" for one octet.
inline std::string hexOctet(unsigned octet)
{
    auto const byte = static_cast<unsigned char>(octet);
    return hexText(&byte, 1);
}

// "03 00 00 06" for a vector (or string) of octets.
template <class Octets>
std::string hexText(Octets const& octets, char const* separator = " ")
{
    return hexText(octets.data(), octets.size(), separator);
}

// Appends the octets written in text; false with the reason when a
// character is not a hexadecimal digit or a digit is left over (the octets
// before the fault are kept).
template <class Octet>
bool parseHex(std::string const& text, std::vector<Octet>& octets, std::string& reason)
{
    int high = -1;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        auto const c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c))
            continue;
        int const digit = std::isdigit(c) ? c - '0' : std::isxdigit(c) ? std::toupper(c) - 'A' + 10 : -1;
        if (digit < 0) {
            reason = "the input is not hexadecimal (character " + std::to_string(i + 1) + ")";
            return false;
        }
        if (high < 0) {
            high = digit;
        } else {
            octets.push_back(static_cast<Octet>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0) {
        reason = "the input ends in the middle of an octet";
        return false;
    }
    return true;
}

// The octets of a text the test wrote itself ("80 01 07 18" or "80010718").
template <class Octet = unsigned char>
std::vector<Octet> bytes_of(std::string const& text)
{
    std::vector<Octet> octets;
    std::string ignored;
    parseHex(text, octets, ignored);
    return octets;
}

// Octets written as a list of numbers 0..255.
inline std::vector<char> octetsOf(std::initializer_list<int> values)
{
    std::vector<char> out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}
