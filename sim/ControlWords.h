#pragma once
// Reading the words of a control-socket line in the device models.
#include <cstdlib>
#include <string>
#include <vector>

namespace Sim {

// A whole word as a number (decimal, 0x hexadecimal or 0 octal, with an
// optional sign); false when the word is anything else.
inline bool number(std::string const& word, long& value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 0);
    return *end == '\0';
}

// The words from index `from` on, each a number; false when any is not.
inline bool numbers(std::vector<std::string> const& words, std::size_t from, std::vector<long>& values)
{
    values.clear();
    for (std::size_t i = from; i < words.size(); ++i) {
        long value = 0;
        if (!number(words[i], value))
            return false;
        values.push_back(value);
    }
    return true;
}

} // namespace Sim
