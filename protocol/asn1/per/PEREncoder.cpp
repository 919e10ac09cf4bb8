#include "protocol/asn1/per/PEREncoder.h"

#include "protocol/asn1/per/CountBits.h"
#include "protocol/asn1/value/Limits.h"
#include "protocol/asn1/value/Values.h"
#include "protocol/asn1/value/VisitorWalk.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace ASN1 {

namespace {

// The largest size the peer reads back: the general length form stops at
// 16383 and the decoder takes no more elements than its limit.
bool sizeTooLarge(std::size_t size)
{
    return size > MaximumGeneralLength;
}

bool aboveArrayLimit(std::size_t count)
{
    return count > static_cast<std::size_t>(MaximumArraySize);
}

// All octets ORed together, eight at a time: the characters of a string
// need no more than that to be checked against a code width. The order in
// which a host holds the octets of a word does not change their OR.
unsigned orOfAllOctets(char const* octets, std::size_t count)
{
    std::uint64_t all = 0;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, octets + i, 8);
        all |= word;
    }
    for (; i < count; ++i)
        all |= static_cast<unsigned char>(octets[i]);
    all |= all >> 32;
    all |= all >> 16;
    all |= all >> 8;
    return static_cast<unsigned>(all & 0xFF);
}

// Asks for the first cache line of a value ahead of its visit. The values
// of a message lie apart in the value pool, often outside the cache: asked
// for together (a SEQUENCE's fields, a list's elements, a CHOICE's value
// before its index is written), their loads overlap, where visited one by
// one each would wait for the previous. A prefetch of null reads nothing.
void fetchAhead(AbstractData const* value)
{
    __builtin_prefetch(value);
}

bool knownAdditionPresent(SEQUENCE const& value)
{
    if (value.extensionMap().size() == 0) // the usual case: no additions
        return false;
    unsigned const known = value.info()->knownExtensions;
    for (unsigned i = 0; i < known; ++i)
        if (value.extensionMap()[i])
            return true;
    return false;
}

} // namespace

PEREncoder::PEREncoder(std::vector<char>& output, bool aligned) : PERBitWriter(output, aligned)
{
}

// Straight into the caller's vector: a new encoder starts a new octet, so
// what is there stays untouched, and a failure only has to cut off what
// was appended.
bool PEREncoder::encode(AbstractData const& value, bool aligned, std::vector<char>& out)
{
    std::size_t const start = out.size();
    PEREncoder encoder(out, aligned);
    if (!value.accept(encoder)) {
        out.resize(start);
        return false;
    }
    return true;
}

bool PEREncoder::encodeConstraint(ConstrainedObject const& object, unsigned value)
{
    switch (object.constraintType()) {
    case ExtendableConstraint: {
        // Compared as signed numbers when the range starts below 0: -5..-1
        // holds no positive number, whatever -1 reads as unsigned.
        int const v = static_cast<int>(value);
        bool const outside = object.belowLowerBound(v) || object.aboveUpperBound(v);
        encodeSingleBit(outside);
        return outside;
    }
    case FixedConstraint:
        return false;
    default:
        return true;
    }
}

bool PEREncoder::encodeConstrainedLength(ConstrainedObject const& object, unsigned length)
{
    auto const& info = *object.info();
    if (sizeTooLarge(length))
        return false;
    return PERBitWriter::encodeConstrainedLength(info.type, static_cast<unsigned>(info.lowerLimit),
                                                 info.upperLimit, length);
}

bool PEREncoder::encodeOpenTypeContents(std::vector<char> const& contents)
{
    if (!encodeLength(static_cast<unsigned>(contents.size()), 0, UnboundedLength))
        return false;
    encodeBlock(contents.data(), static_cast<unsigned>(contents.size()));
    return true;
}

// The open type is written in place, after a one-octet length that is
// filled in when its size is known (and widened to two octets, moving the
// contents, in the rare case that it is above 127): no scratch vector and no
// copy per open type. The length determinant of an open type always starts
// an octet and the contents (in the ALIGNED variant, whatever the outer one)
// follow it on an octet boundary, so both come out as when written in order.
bool PEREncoder::encodeAnyType(AbstractData const* value)
{
    std::vector<char>& out = output();
    byteAlign();
    std::size_t const lengthAt = out.size();
    out.push_back(0);
    if (value != nullptr) {
        PEREncoder nested(out, true);
        if (!value->accept(nested))
            return false;
    }
    std::size_t size = out.size() - lengthAt - 1;
    if (size == 0) { // an empty encoding goes out as one zero octet
        out.push_back(0);
        size = 1;
    }
    if (sizeTooLarge(size))
        return false;
    if (size <= 127) {
        out[lengthAt] = static_cast<char>(size);
    } else {
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(lengthAt), static_cast<char>(0x80 | (size >> 8)));
        out[lengthAt + 1] = static_cast<char>(size & 0xFF);
    }
    byteAlign();
    return true;
}

bool PEREncoder::do_visit(SEQUENCE const& value)
{
    return walkSequence(*this, value);
}

bool PEREncoder::do_visit(Null const&)
{
    return true;
}

bool PEREncoder::do_visit(BOOLEAN const& value)
{
    encodeSingleBit(value.getValue());
    return true;
}

bool PEREncoder::do_visit(INTEGER const& value)
{
    auto const& info = *value.info();
    int const v = value.getValue();
    unsigned const u = static_cast<unsigned>(v);
    // Only an extendable range calls encodeConstraint (for its extension
    // bit): a fixed one goes straight to its bit field, any other kind to
    // the unconstrained form below.
    bool const inRange = info.type == FixedConstraint
                         || (info.type == ExtendableConstraint && !encodeConstraint(value, u));
    if (inRange)
        return encodeUnsigned(u, static_cast<unsigned>(info.lowerLimit), info.upperLimit);
    // The unconstrained form: the fewest octets of the two's complement
    // number (at most 4), after their count in one aligned octet. Count and
    // value go out in one write.
    unsigned octets = 1;
    if (v > 0)
        octets = (CountBits(u + 1) + 1 + 7) / 8;
    else if (v < 0)
        octets = (CountBits(0u - u) + 1 + 7) / 8;
    byteAlign();
    unsigned long long const field = u & (0xFFFFFFFFu >> (32 - 8 * octets));
    encodeOctets(static_cast<unsigned long long>(octets) << (8 * octets) | field, octets + 1);
    return true;
}

bool PEREncoder::do_visit(ENUMERATED const& value)
{
    int const v = value.getValue();
    int const max = value.getMaximum();
    if (value.extendable()) {
        bool const extension = v > max;
        encodeSingleBit(extension);
        if (extension) {
            encodeSmallUnsigned(static_cast<unsigned>(v) + 1);
            return encodeUnsigned(static_cast<unsigned>(v), 0, static_cast<unsigned>(v));
        }
    }
    if (v < 0 || v > max)
        return false;
    return encodeUnsigned(static_cast<unsigned>(v), 0, static_cast<unsigned>(max));
}

bool PEREncoder::do_visit(OBJECT_IDENTIFIER const& value)
{
    std::vector<char> contents;
    value.encodeCommon(contents);
    if (!encodeLength(static_cast<unsigned>(contents.size()), 0, 255))
        return false;
    encodeBlock(contents.data(), static_cast<unsigned>(contents.size()));
    return true;
}

bool PEREncoder::do_visit(BIT_STRING const& value)
{
    unsigned const bits = value.size();
    BitMap::Bytes const& data = value.bytes();
    unsigned const octets = (bits + 7) / 8;
    if (data.size() < octets || !encodeConstrainedLength(value, bits))
        return false;
    if (bits == 0)
        return true;
    if (aligned() && bits > 16) {
        encodeBlock(data.data(), octets - 1);
        unsigned const lastBits = bits - 8 * (octets - 1);
        encodeMultiBit(static_cast<unsigned char>(data[octets - 1]) >> (8 - lastBits), lastBits);
        encodeMultiBit(0, 8 - lastBits);
        return true;
    }
    encodeBitMap(data, bits);
    return true;
}

bool PEREncoder::do_visit(OCTET_STRING const& value)
{
    unsigned const length = static_cast<unsigned>(value.size());
    if (!encodeConstrainedLength(value, length))
        return false;
    if (length <= 2) {
        for (unsigned i = 0; i < length; ++i)
            encodeMultiBit(static_cast<unsigned char>(value[i]), 8);
        return true;
    }
    encodeBlock(value.data(), length);
    return true;
}

bool PEREncoder::do_visit(AbstractString const& value)
{
    auto const& info = *value.info();
    unsigned const length = static_cast<unsigned>(value.size());
    unsigned const width = aligned() ? info.alignedBits : info.unalignedBits;
    bool const ownCode = info.canonicalBits > 4 && info.canonicalBits <= width;
    // Characters are checked before anything is written: where a
    // character's own code is written, by one test of all codes ORed
    // together; else each is looked up.
    if (ownCode) {
        if (orOfAllOctets(value.data(), length) >> info.canonicalBits != 0)
            return false;
    } else {
        for (char c : value)
            if (info.characterSet == nullptr || !std::memchr(info.characterSet, c, info.characterSetSize))
                return false;
    }
    if (!encodeConstrainedLength(value, length))
        return false;
    bool const fitsInTwoOctets =
        info.type != Unconstrained && static_cast<unsigned long long>(info.upperLimit) * width <= 16;
    if (!fitsInTwoOctets && width == 8) {
        encodeBlock(value.data(), length);
        return true;
    }
    if (!fitsInTwoOctets && aligned())
        byteAlign();
    for (char c : value) {
        unsigned code = static_cast<unsigned char>(c);
        if (!ownCode)
            code = static_cast<unsigned>(static_cast<char const*>(std::memchr(info.characterSet, c, info.characterSetSize)) - info.characterSet);
        encodeMultiBit(code, width);
    }
    return true;
}

bool PEREncoder::do_visit(BMPString const& value)
{
    auto const& info = *value.info();
    unsigned const width = aligned() ? info.alignedBits : info.unalignedBits;
    for (wchar_t c : value) {
        unsigned long long const code = static_cast<unsigned long long>(static_cast<unsigned>(c)) - info.firstChar;
        if (static_cast<unsigned>(c) < info.firstChar || static_cast<unsigned>(c) > info.lastChar
            || (width < 32 && code >> width != 0))
            return false;
    }
    if (!encodeConstrainedLength(value, static_cast<unsigned>(value.size())))
        return false;
    bool const fitsInTwoOctets = info.type != Unconstrained && static_cast<unsigned long long>(info.upperLimit) * 16 <= 16;
    if (aligned() && !fitsInTwoOctets)
        byteAlign();
    for (wchar_t c : value)
        encodeMultiBit(static_cast<unsigned>(c) - info.firstChar, width);
    return true;
}

bool PEREncoder::do_visit(CHOICE const& value)
{
    auto const& info = *value.info();
    int const selection = value.getSelection();
    AbstractData const* alternative = value.getValue();
    fetchAhead(alternative); // arrives while the index is written
    unsigned const rootCount = info.numChoices;
    if (selection < 0 || alternative == nullptr || static_cast<unsigned>(selection) >= info.totalChoices)
        return false;
    unsigned const index = static_cast<unsigned>(selection);
    if (info.extendable) {
        bool const extension = index >= rootCount;
        encodeSingleBit(extension);
        if (extension) {
            encodeSmallUnsigned(index - rootCount);
            return encodeAnyType(alternative);
        }
    }
    if (index >= rootCount)
        return false;
    if (rootCount > 1 && !encodeUnsigned(index, 0, rootCount - 1))
        return false;
    return alternative->accept(*this);
}

bool PEREncoder::do_visit(SEQUENCE_OF_Base const& value)
{
    if (aboveArrayLimit(value.size()) || !encodeConstrainedLength(value, static_cast<unsigned>(value.size())))
        return false;
    for (AbstractData const* element : value.elements())
        fetchAhead(element);
    for (AbstractData const* element : value.elements())
        if (element == nullptr || !element->accept(*this))
            return false;
    return true;
}

bool PEREncoder::preVisitExtensionRoots(SEQUENCE const& value)
{
    for (unsigned i = 0, n = value.fieldCount(); i < n; ++i)
        fetchAhead(value.getField(i));
    auto const& info = *value.info();
    if (info.extendable)
        encodeSingleBit(knownAdditionPresent(value));
    // The presence bits as whole octets where the map holds them all.
    SEQUENCE::BitMap const& options = value.optionMap();
    unsigned const count = info.numOptional;
    if (options.size() >= count && options.bytes().size() >= (count + 7) / 8) {
        encodeBitMap(options.bytes(), count);
        return true;
    }
    for (unsigned i = 0; i < count; ++i)
        encodeSingleBit(options[i]);
    return true;
}

bool PEREncoder::visitExtensionRoot(SEQUENCE const& value, int index)
{
    AbstractData const* field = value.getField(index);
    return field != nullptr && field->accept(*this);
}

bool PEREncoder::preVisitExtensions(SEQUENCE const& value)
{
    if (!knownAdditionPresent(value))
        return true;
    unsigned const known = value.info()->knownExtensions;
    if (aboveArrayLimit(known))
        return false;
    encodeSmallUnsigned(known - 1);
    for (unsigned i = 0; i < known; ++i)
        encodeSingleBit(value.extensionMap()[i]);
    return true;
}

bool PEREncoder::visitKnownExtension(SEQUENCE const& value, int index)
{
    AbstractData const* field = value.getField(index);
    return field != nullptr && encodeAnyType(field);
}

bool PEREncoder::do_visit(GeneralizedTime const& value)
{
    std::string const text = value.get();
    if (!encodeLength(static_cast<unsigned>(text.size()), 0, UnboundedLength))
        return false;
    encodeBlock(text.data(), static_cast<unsigned>(text.size()));
    return true;
}

bool PEREncoder::do_visit(OpenData const& value)
{
    // Octets received for a value that was never decoded go out as they came.
    if (!value.has_data() && value.has_buf())
        return encodeOpenTypeContents(*value.get_buf());
    return encodeAnyType(value.get_data());
}

} // namespace ASN1
