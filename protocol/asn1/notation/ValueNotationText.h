#pragma once
// The text pieces of ASN.1 value notation shared by the printer and the
// reader: quoted strings, octet and bit strings, identifiers and numbers.
// Quoted strings escape what would make them ambiguous or unsafe in a log
// line: \" and \\, \n \r \t, and \xHH for the other control characters.
#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace ASN1 {

// Printing.
void appendQuoted(std::string& out, std::string_view text);
// 'xx xx ...'H, lower-case hexadecimal, a blank between octets.
void appendOctets(std::string& out, char const* octets, std::size_t count);

// Reading. Each reader skips white space before its token, as the stream's
// formatted input would, and returns false on malformed text. No token is
// taken beyond the sizes a decode accepts (Limits.h), so that a reader fed
// from an endless stream stays bounded.
// The next character after white space, not consumed; EOF at the end.
int peekNonSpace(std::istream& is);
// Consumes c when it is the next character after white space.
bool expectChar(std::istream& is, char c);
// Letters, digits, hyphens and underscores; empty when none follow.
std::string readIdentifier(std::istream& is);
// The characters up to the next white space; empty when none follow.
std::string readWord(std::istream& is);
// The letters of word, white space allowed between them, not followed by
// another identifier character.
bool readKeyword(std::istream& is, char const* word);
// An optionally negative decimal number of at most 10 digits.
bool readNumber(std::istream& is, long long& number);
// A double-quoted string, escapes undone.
bool get_string(std::istream& is, std::string& text);
// '...'B or '...'H: the octets and the number of bits the digits give, at
// most MaximumStringSize octets.
bool get_value_from(std::istream& is, std::vector<char>& octets, unsigned& bits);
// Binary (base 2) or hexadecimal (base 16) digits to octets; white space
// is dropped and the last octet is filled with 0 digits.
bool get_from_string(std::string& text, std::vector<char>& octets, unsigned& bits, int base);
// The index of the first of count identifiers equal to name.
bool get_id(char const* const* names, unsigned count, std::string const& name, int& index);

} // namespace ASN1
