#include "protocol/asn1/notation/ValueNotationText.h"

#include "protocol/asn1/value/Limits.h"

#include <cctype>
#include <cstring>

namespace ASN1 {

namespace {

char const hexDigits[] = "0123456789abcdef";

// Longer than any identifier of a schema.
constexpr std::size_t MaximumWordLength = 256;

bool isSpace(int c) { return c != std::char_traits<char>::eof() && std::isspace(static_cast<unsigned char>(c)); }
bool isIdentifierChar(int c)
{
    return c != std::char_traits<char>::eof() && (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_');
}

int digitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

} // namespace

void appendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        unsigned char code = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (code < 0x20 || code == 0x7F) {
                out += "\\x";
                out += hexDigits[code >> 4];
                out += hexDigits[code & 0x0F];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendOctets(std::string& out, char const* octets, std::size_t count)
{
    out += '\'';
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            out += ' ';
        unsigned char octet = static_cast<unsigned char>(octets[i]);
        out += hexDigits[octet >> 4];
        out += hexDigits[octet & 0x0F];
    }
    out += "'H";
}

int peekNonSpace(std::istream& is)
{
    while (isSpace(is.peek()))
        is.get();
    return is.peek();
}

bool expectChar(std::istream& is, char c)
{
    if (peekNonSpace(is) != std::char_traits<char>::to_int_type(c))
        return false;
    is.get();
    return true;
}

namespace {

template <class Belongs>
std::string readRun(std::istream& is, Belongs belongs)
{
    std::string run;
    peekNonSpace(is);
    while (belongs(is.peek())) {
        if (run.size() == MaximumWordLength)
            return std::string();
        run += static_cast<char>(is.get());
    }
    return run;
}

} // namespace

std::string readIdentifier(std::istream& is) { return readRun(is, isIdentifierChar); }

std::string readWord(std::istream& is)
{
    return readRun(is, [](int c) { return c != std::char_traits<char>::eof() && !isSpace(c); });
}

bool readKeyword(std::istream& is, char const* word)
{
    for (; *word; ++word)
        if (!expectChar(is, *word))
            return false;
    return !isIdentifierChar(is.peek());
}

bool readNumber(std::istream& is, long long& number)
{
    bool negative = peekNonSpace(is) == '-';
    if (negative)
        is.get();
    int digits = 0;
    number = 0;
    while (std::isdigit(is.peek())) {
        if (++digits > 10)
            return false;
        number = number * 10 + (is.get() - '0');
    }
    if (negative)
        number = -number;
    return digits > 0;
}

bool get_string(std::istream& is, std::string& text)
{
    if (!expectChar(is, '"'))
        return false;
    text.clear();
    for (;;) {
        int c = is.get();
        if (c == std::char_traits<char>::eof())
            return false;
        if (c == '"')
            return true;
        if (text.size() == static_cast<std::size_t>(MaximumStringSize))
            return false;
        if (c != '\\') {
            text += static_cast<char>(c);
            continue;
        }
        switch (c = is.get()) {
        case '"': text += '"'; break;
        case '\\': text += '\\'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'x': {
            int high = digitValue(static_cast<char>(is.get()), 16);
            int low = digitValue(static_cast<char>(is.get()), 16);
            if (high < 0 || low < 0)
                return false;
            text += static_cast<char>(high * 16 + low);
            break;
        }
        default:
            return false;
        }
    }
}

bool get_value_from(std::istream& is, std::vector<char>& octets, unsigned& bits)
{
    if (!expectChar(is, '\''))
        return false;
    // Eight binary digits make an octet; white space is not kept.
    std::string digits;
    for (int c = is.get(); c != '\''; c = is.get()) {
        if (c == std::char_traits<char>::eof())
            return false;
        if (isSpace(c))
            continue;
        if (digits.size() == 8u * MaximumStringSize)
            return false;
        digits += static_cast<char>(c);
    }
    int form = is.get();
    if (form != 'B' && form != 'H')
        return false;
    return get_from_string(digits, octets, bits, form == 'B' ? 2 : 16)
        && octets.size() <= static_cast<std::size_t>(MaximumStringSize);
}

bool get_from_string(std::string& text, std::vector<char>& octets, unsigned& bits, int base)
{
    std::string digits;
    for (char c : text)
        if (!isSpace(static_cast<unsigned char>(c)))
            digits += c;
    unsigned bitsPerDigit = base == 2 ? 1 : 4;
    unsigned digitsPerOctet = 8 / bitsPerDigit;
    bits = static_cast<unsigned>(digits.size()) * bitsPerDigit;
    while (digits.size() % digitsPerOctet)
        digits += '0';
    octets.clear();
    octets.reserve(digits.size() / digitsPerOctet);
    for (std::size_t i = 0; i < digits.size(); i += digitsPerOctet) {
        unsigned octet = 0;
        for (unsigned j = 0; j < digitsPerOctet; ++j) {
            int value = digitValue(digits[i + j], base);
            if (value < 0)
                return false;
            octet = (octet << bitsPerDigit) | static_cast<unsigned>(value);
        }
        octets.push_back(static_cast<char>(octet));
    }
    return true;
}

bool get_id(char const* const* names, unsigned count, std::string const& name, int& index)
{
    for (unsigned i = 0; names && i < count; ++i) {
        if (names[i] && name == names[i]) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

} // namespace ASN1
