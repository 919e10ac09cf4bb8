#include "fuzz/per_fuzz_check.h"

#include "tests/support/HexText.h"
#include "fuzz/per_fuzz_types.h"
#include "protocol/asn1/BERCoder.h"
#include "protocol/asn1/PERCoder.h"

#include <memory>
#include <vector>

namespace PerFuzz {

Outcome checkRoundTrip(ASN1::AbstractData::InfoType const* type, bool aligned, std::uint8_t const* data,
                       std::size_t size, std::string& report)
{
    return checkRoundTrip(aligned ? ASN1::PERCoder::aligned : ASN1::PERCoder::unaligned, type, data, size, report);
}

Outcome checkRoundTrip(ASN1::Coder const& coder, ASN1::AbstractData::InfoType const* type, std::uint8_t const* data,
                       std::size_t size, std::string& report)
{
    char const* first = size == 0 ? nullptr : reinterpret_cast<char const*>(data);
    char const* last = size == 0 ? nullptr : first + size;

    std::unique_ptr<ASN1::AbstractData> decoded(type->create(type));
    if (!coder.decode(first, last, nullptr, *decoded))
        return Outcome::Rejected;
    std::vector<char> encoding;
    if (!coder.encode(*decoded, encoding))
        return Outcome::NotWritable;

    std::unique_ptr<ASN1::AbstractData> again(type->create(type));
    if (!coder.decode(encoding.data(), encoding.data() + encoding.size(), nullptr, *again)) {
        report = "re-encoding does not decode: " + hexText(encoding, "");
        return Outcome::Mismatch;
    }
    if (decoded->compare(*again) != 0) {
        report = "decoded again to another value: " + hexText(encoding, "");
        return Outcome::Mismatch;
    }
    std::vector<char> second;
    if (!coder.encode(*again, second) || second != encoding) {
        report = "second encoding differs: " + hexText(encoding, "") + " then " + hexText(second, "");
        return Outcome::Mismatch;
    }
    return Outcome::RoundTripped;
}

Outcome checkFuzzInput(std::uint8_t const* data, std::size_t size, std::string& report)
{
    bool const aligned = size == 0 || (data[0] & 1) != 0;
    return size == 0 ? checkRoundTrip(&Fuzz_info, aligned, nullptr, 0, report)
                     : checkRoundTrip(&Fuzz_info, aligned, data + 1, size - 1, report);
}

Outcome checkBerInput(std::uint8_t const* data, std::size_t size, std::string& report)
{
    static ASN1::BERCoder const ber;
    return checkRoundTrip(ber, &Fuzz_info, data, size, report);
}

} // namespace PerFuzz
