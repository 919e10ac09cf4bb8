#pragma once
// A number word of a control line: decimal, 0x hexadecimal or 0 octal; a
// negative one wraps into the unsigned range (-1 is all ones).
#include <cctype>
#include <string>
#include <vector>

namespace Sim {

inline bool controlNumber(std::string const& text, unsigned long& value)
{
    try {
        std::size_t used = 0;
        long long parsed = std::stoll(text, &used, 0);
        value = static_cast<unsigned long>(parsed);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

// A number word that counts something: decimal, 0x hexadecimal or 0 octal,
// without a sign and at most `max`. Unlike controlNumber, nothing wraps.
inline bool controlCount(std::string const& text, unsigned long max, unsigned long& value)
{
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    try {
        std::size_t used = 0;
        unsigned long long parsed = std::stoull(text, &used, 0);
        if (used != text.size() || parsed > max)
            return false;
        value = static_cast<unsigned long>(parsed);
        return true;
    } catch (...) {
        return false;
    }
}

// The words from index `from` on, each a number; false when any is not.
inline bool controlNumbers(std::vector<std::string> const& words, std::size_t from, std::vector<unsigned long>& values)
{
    values.clear();
    for (std::size_t i = from; i < words.size(); ++i) {
        unsigned long value = 0;
        if (!controlNumber(words[i], value))
            return false;
        values.push_back(value);
    }
    return true;
}

} // namespace Sim
