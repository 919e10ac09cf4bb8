#include "fuzz/per_fuzz_check.h"

#include "fuzz/hex_text.h"
#include "fuzz/per_fuzz_types.h"
#include "protocol/asn1/PERDecoder.h"
#include "protocol/asn1/PEREncoder.h"

#include <vector>

namespace PerFuzz {

Outcome checkRoundTrip(std::uint8_t const* data, std::size_t size, std::string& report)
{
    bool const aligned = size == 0 || (data[0] & 1) != 0;
    char const* first = size == 0 ? nullptr : reinterpret_cast<char const*>(data) + 1;
    char const* last = size == 0 ? nullptr : reinterpret_cast<char const*>(data) + size;

    ASN1::SEQUENCE decoded(&Fuzz_info);
    if (!ASN1::PERDecoder::decode(nullptr, first, last, decoded, aligned))
        return Outcome::Rejected;
    std::vector<char> encoding;
    if (!ASN1::PEREncoder::encode(decoded, aligned, encoding))
        return Outcome::NotWritable;

    ASN1::SEQUENCE again(&Fuzz_info);
    if (!ASN1::PERDecoder::decode(nullptr, encoding.data(), encoding.data() + encoding.size(), again, aligned)) {
        report = "re-encoding does not decode: " + hexText(encoding);
        return Outcome::Mismatch;
    }
    if (decoded.compare(again) != 0) {
        report = "decoded again to another value: " + hexText(encoding);
        return Outcome::Mismatch;
    }
    std::vector<char> second;
    if (!ASN1::PEREncoder::encode(again, aligned, second) || second != encoding) {
        report = "second encoding differs: " + hexText(encoding) + " then " + hexText(second);
        return Outcome::Mismatch;
    }
    return Outcome::RoundTripped;
}

} // namespace PerFuzz
