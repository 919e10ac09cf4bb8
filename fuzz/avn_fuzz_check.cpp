#include "fuzz/avn_fuzz_check.h"

#include "protocol/asn1/notation/AVNEncoder.h"
#include "protocol/asn1/per/PERDecoder.h"
#include "protocol/asn1/per/PEREncoder.h"
#include "protocol/schemas/ZUZU.h"

#include <sstream>
#include <vector>

namespace PerFuzz {

namespace {

// The printed text, empty when the printer left a placeholder.
std::string printed(ZUZU::Message const& message)
{
    std::ostringstream out;
    ASN1::AVNEncoder printer(out);
    return printer.print(message) && printer.complete() ? out.str() : std::string();
}

} // namespace

Outcome checkValueNotation(std::uint8_t const* data, std::size_t size, std::string& report)
{
    ZUZU::Message message;
    if (!message.setFromValueNotation(std::string(reinterpret_cast<char const*>(data), size)))
        return Outcome::Rejected;
    std::string const text = printed(message);
    if (text.empty())
        return Outcome::NotWritable;

    ZUZU::Message again;
    if (!again.setFromValueNotation(text)) {
        report = "the printed text does not read back:\n" + text;
        return Outcome::Mismatch;
    }
    if (again.compare(message) != 0) {
        report = "the printed text reads back to another value:\n" + text + "\nprinted again:\n" + printed(again);
        return Outcome::Mismatch;
    }
    std::string const second = printed(again);
    if (second != text) {
        report = "printed again differently:\n" + text + "\nthen:\n" + second;
        return Outcome::Mismatch;
    }

    std::vector<char> encoding;
    if (!ASN1::PEREncoder::encode(message, true, encoding))
        return Outcome::NotWritable;
    ZUZU::Message decoded;
    if (!ASN1::PERDecoder::decode(nullptr, encoding.data(), encoding.data() + encoding.size(), decoded, true)) {
        report = "the PER encoding of a value read from text does not decode:\n" + text;
        return Outcome::Mismatch;
    }
    if (decoded.compare(message) != 0) {
        report = "the PER encoding decodes to another value:\n" + text + "\ndecoded:\n" + decoded.asValueNotation();
        return Outcome::Mismatch;
    }
    return checkRoundTrip(&ZUZU::Message::theInfo, true, reinterpret_cast<std::uint8_t const*>(encoding.data()),
                          encoding.size(), report);
}

} // namespace PerFuzz
