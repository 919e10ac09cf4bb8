// asn1tool: encodes and decodes one value of any schema type by hand.
//
//   asn1tool [--unaligned|--ber] encode MODULE.Type   value notation on standard input,
//                                                     encoding in hexadecimal out
//   asn1tool [--unaligned|--ber] decode MODULE.Type   hexadecimal in (white space ignored),
//                                                     value notation out
//
// PER ALIGNED unless --unaligned (PER UNALIGNED) or --ber (BER) is given. Exits 0 on success; otherwise 1
// with a one-line reason on standard error and nothing on standard output.
#include "protocol/asn1/ASN1.h"
#include "protocol/schemas/TypeTable.h"
#include "tests/support/HexText.h"

#include <cctype>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

int fail(std::string const& reason)
{
    std::cerr << "asn1tool: " << reason << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    int rule = ASN1::CoderEnv::per_Aligned;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--unaligned")
            rule = ASN1::CoderEnv::per_Unaligned;
        else if (arg == "--ber")
            rule = ASN1::CoderEnv::ber;
        else
            words.push_back(arg);
    }
    if (words.size() != 2 || (words[0] != "encode" && words[0] != "decode"))
        return fail("usage: asn1tool [--unaligned|--ber] encode|decode MODULE.Type");
    std::string const& typeName = words[1];
    ASN1::AbstractData::InfoType const* info = Schemas::findType(typeName);
    if (!info)
        return fail("no type " + typeName + " in any module");
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad())
        return fail("cannot read standard input");

    std::unique_ptr<ASN1::AbstractData> value(info->create(info));
    ASN1::CoderEnv env(rule);
    char const* variant = rule == ASN1::CoderEnv::per_Aligned ? "PER aligned"
                          : rule == ASN1::CoderEnv::ber    ? "BER"
                                                           : "PER unaligned";
    if (words[0] == "encode") {
        if (!value->setFromValueNotation(input))
            return fail("the input is not a value of " + typeName + " in value notation");
        std::vector<char> octets;
        if (!env.encode(*value, std::back_inserter(octets)))
            return fail(std::string("the value cannot be encoded in ") + variant +
                        " (a number or size outside its constraint, or a type this program does not know)");
        std::cout << hexText(octets) << "\n";
    } else {
        std::vector<char> octets;
        std::string reason;
        if (!parseHex(input, octets, reason))
            return fail(reason);
        if (!env.decode(octets.data(), octets.data() + octets.size(), *value, true))
            return fail(std::string("the octets are not a ") + variant + " encoding of " + typeName);
        std::vector<char> text;
        if (!env.encodeAVN(*value, std::back_inserter(text)))
            return fail("the decoded value has parts without value notation");
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size())) << "\n";
    }
    std::cout.flush();
    return std::cout ? 0 : fail("cannot write standard output");
}
