#pragma once
// A value in value notation folded onto one line: the printer's line breaks
// and indentation become single blanks. Shared by the tests and ctrlcli.
#include "protocol/asn1/notation/ValueNotation.h"

#include <sstream>
#include <string>

inline std::string oneLine(ASN1::AbstractData const& value)
{
    std::ostringstream out;
    out << value;
    std::string text;
    bool blank = false;
    for (char c : out.str()) {
        if (c == '\n' || c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !text.empty())
            text += ' ';
        blank = false;
        text += c;
    }
    return text;
}
