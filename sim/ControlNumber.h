#pragma once
// A number word of a control line: decimal, 0x hexadecimal or 0 octal; a
// negative one wraps into the unsigned range (-1 is all ones).
#include <string>

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

} // namespace Sim
