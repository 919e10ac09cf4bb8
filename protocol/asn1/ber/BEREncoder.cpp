#include "protocol/asn1/ber/BEREncoder.h"

#include "protocol/asn1/value/Values.h"

#include <cstdint>
#include <string>

namespace ASN1 {

namespace {

unsigned const maximumLength = 0xFFFFFFFFu;

bool isPrimitive(AbstractData const& value)
{
    PrimitiveChecker checker;
    return value.accept(checker);
}

bool contentLength(AbstractData const& value, unsigned& length)
{
    DataLengthCounter counter;
    if (!value.accept(counter))
        return false;
    length = counter.getLength();
    return true;
}

// The tag a value is written under: the override, unless there is none (or
// it is 0, an untagged place), else the type's own. 0: no header.
unsigned effectiveTag(AbstractData const& value, unsigned override)
{
    return override == BER::noTag || override == 0 ? value.info()->tag : override;
}

// The octets of the high-tag-number form of a tag number of 31 or more.
unsigned tagNumberOctets(unsigned number)
{
    unsigned count = 1;
    while (number >>= 7)
        ++count;
    return count;
}

unsigned lengthOctets(unsigned length)
{
    unsigned count = 1;
    while (length >>= 8)
        ++count;
    return count;
}

unsigned headerLength(unsigned tag, unsigned length)
{
    unsigned const number = BER::tagNumber(tag);
    return 1 + (number >= 31 ? tagNumberOctets(number) : 0) + 1 + (length >= 128 ? lengthOctets(length) : 0);
}

bool objectLength(AbstractData const& value, unsigned override, unsigned long long& length)
{
    unsigned contents = 0;
    if (!contentLength(value, contents))
        return false;
    unsigned const tag = effectiveTag(value, override);
    length = contents + (tag != 0 ? headerLength(tag, contents) : 0);
    return true;
}

} // namespace

// A fixed range from 0 up holds unsigned numbers: 0..4294967295 keeps its
// upper half in negative ints. Outside an extendable range, or above a lower
// bound alone, a value may be negative.
bool holdsUnsignedNumbers(INTEGER const& value)
{
    return value.constraintType() == FixedConstraint && value.getLowerLimit() >= 0;
}

namespace {

// The contents octets of an INTEGER: the shortest two's complement form, or
// for a type of unsigned numbers a value from 2^31 up as 0x00 and four
// octets, so that it reads back as the same number elsewhere.
unsigned integerOctets(INTEGER const& value, unsigned char (&octets)[5])
{
    int const v = value.getValue();
    unsigned count = getIntegerDataLength(v);
    unsigned char* out = octets;
    if (v < 0 && holdsUnsignedNumbers(value)) {
        *out++ = 0;
        count = 4;
    }
    for (unsigned i = count; i-- > 0;)
        *out++ = static_cast<unsigned char>(static_cast<unsigned>(v) >> (8 * i));
    return static_cast<unsigned>(out - octets);
}

unsigned integerOctets(int v, unsigned char (&octets)[5])
{
    unsigned const count = getIntegerDataLength(v);
    for (unsigned i = 0; i < count; ++i)
        octets[i] = static_cast<unsigned char>(static_cast<unsigned>(v) >> (8 * (count - 1 - i)));
    return count;
}

unsigned bitStringOctets(BIT_STRING const& value)
{
    return (value.size() + 7) / 8;
}

} // namespace

unsigned getIntegerDataLength(int value)
{
    for (unsigned count = 1; count < 4; ++count) {
        long long const limit = 1LL << (8 * count - 1);
        if (value >= -limit && value < limit)
            return count;
    }
    return 4;
}

unsigned getDataLength(AbstractData const& value)
{
    unsigned length = 0;
    return contentLength(value, length) ? length : 0;
}

unsigned getObjectLength(AbstractData const& value, unsigned tag)
{
    unsigned long long length = 0;
    return objectLength(value, tag, length) && length <= maximumLength ? static_cast<unsigned>(length) : 0;
}

// DataLengthCounter ----------------------------------------------------------

bool DataLengthCounter::add(unsigned long long count)
{
    if (count > maximumLength - length_)
        return false;
    length_ += static_cast<unsigned>(count);
    return true;
}

bool DataLengthCounter::do_visit(Null const&) { return true; }
bool DataLengthCounter::do_visit(BOOLEAN const&) { return add(1); }

bool DataLengthCounter::do_visit(INTEGER const& value)
{
    unsigned char octets[5];
    return add(integerOctets(value, octets));
}

bool DataLengthCounter::do_visit(ENUMERATED const& value) { return add(getIntegerDataLength(value.getValue())); }

bool DataLengthCounter::do_visit(OBJECT_IDENTIFIER const& value)
{
    std::vector<char> octets;
    value.encodeCommon(octets);
    return add(octets.size());
}

bool DataLengthCounter::do_visit(BIT_STRING const& value) { return add(1ULL + bitStringOctets(value)); }
bool DataLengthCounter::do_visit(OCTET_STRING const& value) { return add(value.size()); }
bool DataLengthCounter::do_visit(AbstractString const& value) { return add(value.size()); }
bool DataLengthCounter::do_visit(BMPString const& value) { return add(2ULL * value.size()); }
bool DataLengthCounter::do_visit(GeneralizedTime const& value) { return add(value.get().size()); }

bool DataLengthCounter::do_visit(CHOICE const& value)
{
    if (value.getSelection() < 0 || value.getValue() == nullptr)
        return true;
    unsigned long long length = 0;
    unsigned const tag = BER::alternativeTag(*value.info(), static_cast<unsigned>(value.getSelection()));
    return objectLength(*value.getValue(), tag, length) && add(length);
}

// The contents of an open type are the complete encoding of the value it
// holds, header included, or its undecoded octets.
bool DataLengthCounter::do_visit(OpenData const& value)
{
    if (value.has_data()) {
        unsigned long long length = 0;
        return objectLength(*value.get_data(), BER::noTag, length) && add(length);
    }
    return add(value.has_buf() ? value.get_buf()->size() : 0);
}

bool DataLengthCounter::do_visit(SEQUENCE_OF_Base const& value)
{
    for (AbstractData const* element : value.elements()) {
        unsigned long long length = 0;
        if (element == nullptr || !objectLength(*element, BER::noTag, length) || !add(length))
            return false;
    }
    return true;
}

bool DataLengthCounter::preVisitExtensionRoots(SEQUENCE const&) { return true; }

bool DataLengthCounter::visitExtensionRoot(SEQUENCE const& value, int index)
{
    AbstractData const* field = value.getField(static_cast<unsigned>(index));
    unsigned long long length = 0;
    return field != nullptr && objectLength(*field, BER::fieldTag(*value.info(), static_cast<unsigned>(index)), length)
        && add(length);
}

bool DataLengthCounter::visitKnownExtension(SEQUENCE const& value, int index)
{
    return visitExtensionRoot(value, index);
}

// PrimitiveChecker -----------------------------------------------------------

bool PrimitiveChecker::do_visit(CHOICE const& value)
{
    return value.getValue() == nullptr || value.getValue()->accept(*this);
}

bool PrimitiveChecker::do_visit(OpenData const& value)
{
    return value.has_data() && value.get_data()->accept(*this);
}

bool PrimitiveChecker::do_visit(SEQUENCE_OF_Base const&) { return false; }
bool PrimitiveChecker::preVisitExtensionRoots(SEQUENCE const&) { return false; }

// BEREncoder -----------------------------------------------------------------

bool BEREncoder::encode(AbstractData const& value, std::vector<char>& out)
{
    std::vector<char> octets;
    octets.reserve(256);
    BEREncoder encoder(octets);
    if (!value.accept(encoder))
        return false;
    out.insert(out.end(), octets.begin(), octets.end());
    return true;
}

bool BEREncoder::encodeAs(AbstractData const& value, unsigned tag)
{
    tag_ = tag;
    bool const ok = value.accept(*this);
    tag_ = BER::noTag;
    return ok;
}

bool BEREncoder::encodeHeader(AbstractData const& value)
{
    unsigned const tag = effectiveTag(value, tag_);
    tag_ = BER::noTag;
    unsigned length = 0;
    if (tag == 0 || !contentLength(value, length))
        return false;
    char header[1 + 3 + 1 + 4];
    std::size_t n = 0;
    unsigned const number = BER::tagNumber(tag);
    char const identifier = static_cast<char>(((tag >> 16) & 0xC0) | (isPrimitive(value) ? 0 : 0x20));
    if (number < 31) {
        header[n++] = static_cast<char>(identifier | number);
    } else {
        header[n++] = static_cast<char>(identifier | 31);
        for (unsigned i = tagNumberOctets(number); i-- > 0;)
            header[n++] = static_cast<char>(((number >> (7 * i)) & 0x7F) | (i ? 0x80 : 0));
    }
    if (length < 128) {
        header[n++] = static_cast<char>(length);
    } else {
        unsigned const count = lengthOctets(length);
        header[n++] = static_cast<char>(0x80 | count);
        for (unsigned i = count; i-- > 0;)
            header[n++] = static_cast<char>(length >> (8 * i));
    }
    put(header, n);
    return true;
}

bool BEREncoder::do_visit(Null const& value) { return encodeHeader(value); }

bool BEREncoder::do_visit(BOOLEAN const& value)
{
    if (!encodeHeader(value))
        return false;
    output_->push_back(value.getValue() ? '\xFF' : '\x00');
    return true;
}

bool BEREncoder::do_visit(INTEGER const& value)
{
    unsigned char octets[5];
    unsigned const count = integerOctets(value, octets);
    if (!encodeHeader(value))
        return false;
    put(reinterpret_cast<char const*>(octets), count);
    return true;
}

bool BEREncoder::do_visit(ENUMERATED const& value)
{
    unsigned char octets[5];
    unsigned const count = integerOctets(value.getValue(), octets);
    if (!encodeHeader(value))
        return false;
    put(reinterpret_cast<char const*>(octets), count);
    return true;
}

bool BEREncoder::do_visit(OBJECT_IDENTIFIER const& value)
{
    std::vector<char> octets;
    value.encodeCommon(octets);
    if (!encodeHeader(value))
        return false;
    put(octets.data(), octets.size());
    return true;
}

bool BEREncoder::do_visit(BIT_STRING const& value)
{
    unsigned const octets = bitStringOctets(value);
    if (value.bytes().size() < octets || !encodeHeader(value))
        return false;
    unsigned const unused = (8 - value.size() % 8) % 8;
    output_->push_back(static_cast<char>(unused));
    put(value.bytes().data(), octets);
    // The unused bits of the last octet go out as zeros.
    if (unused != 0)
        output_->back() = static_cast<char>(static_cast<unsigned char>(output_->back()) & (0xFFu << unused));
    return true;
}

bool BEREncoder::do_visit(OCTET_STRING const& value)
{
    if (!encodeHeader(value))
        return false;
    put(value.data(), value.size());
    return true;
}

bool BEREncoder::do_visit(AbstractString const& value)
{
    if (!encodeHeader(value))
        return false;
    put(value.data(), value.size());
    return true;
}

bool BEREncoder::do_visit(BMPString const& value)
{
    // A character outside the 16-bit range would come back as another one.
    for (wchar_t c : value)
        if (static_cast<std::uint32_t>(c) > 0xFFFF)
            return false;
    if (!encodeHeader(value))
        return false;
    for (wchar_t c : value) {
        char const octets[2] = {static_cast<char>(static_cast<unsigned>(c) >> 8), static_cast<char>(c)};
        put(octets, 2);
    }
    return true;
}

bool BEREncoder::do_visit(GeneralizedTime const& value)
{
    std::string const text = value.get();
    if (!encodeHeader(value))
        return false;
    put(text.data(), text.size());
    return true;
}

bool BEREncoder::do_visit(CHOICE const& value)
{
    if (value.getSelection() < 0 || value.getValue() == nullptr)
        return false;
    if (effectiveTag(value, tag_) != 0) {
        if (!encodeHeader(value))
            return false;
    }
    return encodeAs(*value.getValue(), BER::alternativeTag(*value.info(), static_cast<unsigned>(value.getSelection())));
}

// An open type that holds neither a value nor octets has nothing to write:
// empty contents would read back as empty octets.
bool BEREncoder::do_visit(OpenData const& value)
{
    if (!value.has_data() && !value.has_buf())
        return false;
    if (effectiveTag(value, tag_) != 0) {
        if (!encodeHeader(value))
            return false;
    }
    tag_ = BER::noTag;
    if (value.has_data())
        return encodeAs(*value.get_data(), BER::noTag);
    put(value.get_buf()->data(), value.get_buf()->size());
    return true;
}

bool BEREncoder::do_visit(SEQUENCE_OF_Base const& value)
{
    if (!encodeHeader(value))
        return false;
    for (AbstractData const* element : value.elements())
        if (element == nullptr || !encodeAs(*element, BER::noTag))
            return false;
    return true;
}

bool BEREncoder::preVisitExtensionRoots(SEQUENCE const& value) { return encodeHeader(value); }

bool BEREncoder::visitExtensionRoot(SEQUENCE const& value, int index)
{
    AbstractData const* field = value.getField(static_cast<unsigned>(index));
    return field != nullptr && encodeAs(*field, BER::fieldTag(*value.info(), static_cast<unsigned>(index)));
}

bool BEREncoder::visitKnownExtension(SEQUENCE const& value, int index) { return visitExtensionRoot(value, index); }

} // namespace ASN1
