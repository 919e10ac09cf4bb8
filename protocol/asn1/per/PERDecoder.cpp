#include "protocol/asn1/per/PERDecoder.h"

#include "protocol/asn1/per/CountBits.h"
#include "protocol/asn1/value/Limits.h"
#include "protocol/asn1/value/Values.h"
#include "protocol/asn1/value/VisitorWalk.h"

#include <string>

namespace ASN1 {

namespace {

bool aboveLimit(unsigned count, int limit)
{
    return count > static_cast<unsigned>(limit);
}

// Clears the bits of the last octet that lie beyond `bits`.
void clearPadding(BitMap::Bytes& bytes, unsigned bits)
{
    if (bits % 8 != 0 && !bytes.empty())
        bytes.back() = static_cast<char>(static_cast<unsigned char>(bytes.back()) & (0xFF00u >> (bits % 8)));
}

} // namespace

PERDecoder::PERDecoder(CoderEnv* env, char const* first, char const* last, bool aligned)
    : PERBitReader(first, last, aligned), env_(env), depth_(0)
{
}

bool PERDecoder::decode(CoderEnv* env, char const* first, char const* last, AbstractData& value, bool aligned)
{
    PERDecoder decoder(env, first, last, aligned);
    return value.accept(decoder);
}

bool PERDecoder::decodeComponent(AbstractData& component)
{
    if (depth_ >= MaximumNestingDepth)
        return false;
    ++depth_;
    bool const ok = component.accept(*this);
    --depth_;
    return ok;
}

bool PERDecoder::openOpenType(Window& window)
{
    unsigned length = 0;
    return decodeLength(0, UnboundedLength, length) == 0 && openWindow(length, window);
}

int PERDecoder::decodeConstrainedLength(ConstrainedObject const& object, unsigned& out)
{
    auto const& info = *object.info();
    return decodeConstrainedLength(info.type, static_cast<unsigned>(info.lowerLimit), info.upperLimit, out);
}

bool PERDecoder::do_visit(SEQUENCE& value)
{
    return walkSequence(*this, value);
}

bool PERDecoder::do_visit(Null&)
{
    return true;
}

bool PERDecoder::do_visit(BOOLEAN& value)
{
    int const bit = decodeSingleBit();
    if (bit < 0)
        return false;
    value.setValue(bit == 1);
    return true;
}

bool PERDecoder::do_visit(INTEGER& value)
{
    auto const& info = *value.info();
    // A lower bound alone does not constrain the coding: the value itself
    // follows in two's complement, as for no constraint.
    bool unconstrained = info.type == Unconstrained || info.type == PartiallyConstrained;
    if (info.type == ExtendableConstraint) {
        int const outside = decodeSingleBit();
        if (outside < 0)
            return false;
        unconstrained = outside == 1;
    }
    if (!unconstrained) {
        unsigned v = 0;
        if (decodeUnsigned(static_cast<unsigned>(info.lowerLimit), info.upperLimit, v) != 0)
            return false;
        value.setValue(static_cast<int>(v));
        return true;
    }
    // Zero octets would leave no sign bit to extend.
    unsigned octets = 0;
    if (decodeLength(0, UnboundedLength, octets) != 0 || octets == 0 || octets > 4)
        return false;
    unsigned v = 0;
    if (!decodeMultiBit(8 * octets, v))
        return false;
    if (octets < 4 && (v & (1u << (8 * octets - 1))) != 0)
        v |= ~0u << (8 * octets);
    value.setValue(static_cast<int>(v));
    return true;
}

bool PERDecoder::do_visit(ENUMERATED& value)
{
    unsigned const max = static_cast<unsigned>(value.getMaximum());
    if (value.extendable()) {
        int const extension = decodeSingleBit();
        if (extension < 0)
            return false;
        unsigned plusOne = 0;
        unsigned v = 0;
        if (extension == 1 && decodeSmallUnsigned(plusOne) && plusOne != 0
            && decodeUnsigned(0, plusOne - 1, v) == 0) {
            value.setValue(static_cast<int>(v));
            return true;
        }
    }
    unsigned v = 0;
    if (decodeUnsigned(0, max, v) != 0)
        return false;
    value.setValue(static_cast<int>(v));
    return true;
}

bool PERDecoder::do_visit(OBJECT_IDENTIFIER& value)
{
    unsigned length = 0;
    if (decodeLength(0, 255, length) != 0)
        return false;
    char contents[256];
    if (decodeBlock(contents, length) != length)
        return false;
    return value.decodeCommon(contents, length);
}

bool PERDecoder::do_visit(OCTET_STRING& value)
{
    unsigned length = 0;
    if (decodeConstrainedLength(value, length) != 0 || aboveLimit(length, MaximumStringSize))
        return false;
    if (length <= 2) {
        unsigned octets[2] = {0, 0};
        for (unsigned i = 0; i < length; ++i)
            if (!decodeMultiBit(8, octets[i]))
                return false;
        value.resize(length);
        for (unsigned i = 0; i < length; ++i)
            value[i] = static_cast<char>(octets[i]);
        return true;
    }
    if (length > octetsLeftAfterAlign())
        return false;
    value.resize(length);
    return decodeBlock(value.data(), length) == length;
}

bool PERDecoder::do_visit(BIT_STRING& value)
{
    unsigned bits = 0;
    if (decodeConstrainedLength(value, bits) != 0 || aboveLimit(bits, MaximumStringSize))
        return false;
    unsigned const octets = (bits + 7) / 8;
    BitMap::Bytes data(octets);
    if (bits > 16 && aligned()) {
        if (octets > octetsLeftAfterAlign() || decodeBlock(data.data(), octets) != octets)
            return false;
        clearPadding(data, bits);
    } else if (!decodeBitMap(data, bits)) {
        return false;
    }
    value.resize(bits);
    value.bytes().swap(data);
    return true;
}

bool PERDecoder::do_visit(AbstractString& value)
{
    auto const& info = *value.info();
    unsigned length = 0;
    if (decodeConstrainedLength(value, length) != 0 || aboveLimit(length, MaximumStringSize))
        return false;
    unsigned const width = aligned() ? info.alignedBits : info.unalignedBits;
    bool const fitsInTwoOctets =
        info.type != Unconstrained && static_cast<unsigned long long>(info.upperLimit) * width <= 16;
    if (!fitsInTwoOctets && width == 8) {
        if (length > octetsLeftAfterAlign()) {
            value.clear();
            return false;
        }
        value.resize(length);
        if (decodeBlock(&value[0], length) != length) {
            value.clear();
            return false;
        }
        return true;
    }
    if (!fitsInTwoOctets && aligned())
        byteAlign();
    if (static_cast<unsigned long long>(length) * width > getBitsLeft())
        return false;
    bool const ownCode = info.canonicalBits > 4 && info.canonicalBits <= width;
    std::string text(length, '\0');
    for (unsigned i = 0; i < length; ++i) {
        unsigned code = 0;
        if (!decodeMultiBit(width, code))
            return false;
        if (!ownCode) {
            if (info.characterSet == nullptr || code >= info.characterSetSize)
                return false;
            code = static_cast<unsigned char>(info.characterSet[code]);
        }
        text[i] = static_cast<char>(code);
    }
    value.assign(text);
    return true;
}

bool PERDecoder::do_visit(BMPString& value)
{
    auto const& info = *value.info();
    unsigned length = 0;
    if (decodeConstrainedLength(value, length) != 0 || aboveLimit(length, MaximumStringSize))
        return false;
    unsigned const width = aligned() ? info.alignedBits : info.unalignedBits;
    bool const fitsInTwoOctets = info.type != Unconstrained && static_cast<unsigned long long>(info.upperLimit) * 16 <= 16;
    if (aligned() && !fitsInTwoOctets)
        byteAlign();
    if (static_cast<unsigned long long>(length) * width > getBitsLeft())
        return false;
    std::wstring text(length, L'\0');
    for (unsigned i = 0; i < length; ++i) {
        unsigned code = 0;
        if (!decodeMultiBit(width, code))
            return false;
        text[i] = static_cast<wchar_t>(info.firstChar + code);
    }
    value.assign(text);
    return true;
}

bool PERDecoder::decodeChoicePreamle(CHOICE& value, bool& extension)
{
    auto const& info = *value.info();
    unsigned const rootCount = info.numChoices;
    unsigned const totalCount = info.totalChoices < rootCount ? rootCount : info.totalChoices;
    extension = false;
    if (info.extendable) {
        int const bit = decodeSingleBit();
        if (bit < 0)
            return false;
        extension = bit == 1;
    }
    unsigned index = 0;
    if (extension) {
        unsigned offset = 0;
        if (!decodeSmallUnsigned(offset))
            return false;
        if (offset >= totalCount - rootCount) { // not known to this schema
            value.setSelection(CHOICE::unknownSelection, nullptr);
            return true;
        }
        index = rootCount + offset;
    } else {
        if (rootCount == 0)
            return false;
        if (rootCount > 1 && decodeUnsigned(0, rootCount - 1, index) != 0)
            return false;
        if (index >= rootCount)
            return false;
    }
    return value.select(static_cast<int>(index));
}

bool PERDecoder::do_visit(CHOICE& value)
{
    bool extension = false;
    if (!decodeChoicePreamle(value, extension))
        return false;
    if (!extension)
        return decodeComponent(*value.getValue());
    Window window{};
    if (!openOpenType(window))
        return false;
    // An alternative this schema does not know is skipped by its length.
    bool const ok = value.getSelection() < 0 || decodeComponent(*value.getValue());
    closeWindow(window);
    return ok;
}

Visitor::VisitSeqResult PERDecoder::preVisitExtensionRoots(SEQUENCE& value)
{
    auto const& info = *value.info();
    int extension = 0;
    if (info.extendable) {
        extension = decodeSingleBit();
        if (extension < 0)
            return FAIL;
    }
    SEQUENCE::BitMap& options = value.optionMap();
    if (options.size() != info.numOptional)
        options.resize(info.numOptional);
    if (!decodeBitMap(options.bytes(), info.numOptional))
        return FAIL;
    if (extension == 0 && value.extensionMap().size() != 0)
        value.extensionMap().resize(0);
    return extension == 1 ? CONTINUE : NO_EXTENSION;
}

Visitor::VisitSeqResult PERDecoder::visitExtensionRoot(SEQUENCE& value, int index, int optionNumber)
{
    if (optionNumber >= 0 && !value.hasOptionalField(optionNumber))
        return CONTINUE;
    AbstractData* field = value.getField(index);
    if (field == nullptr) {
        field = value.makeField(index);
        if (field == nullptr) {
            if (optionNumber >= 0)
                value.removeOptionalField(optionNumber);
            return FAIL;
        }
    }
    return decodeComponent(*field) ? CONTINUE : FAIL;
}

Visitor::VisitSeqResult PERDecoder::preVisitExtensions(SEQUENCE& value)
{
    unsigned countMinusOne = 0;
    if (!decodeSmallUnsigned(countMinusOne) || countMinusOne >= static_cast<unsigned>(MaximumArraySize))
        return FAIL;
    SEQUENCE::BitMap& extensions = value.extensionMap();
    extensions.resize(countMinusOne + 1);
    return decodeBitMap(extensions.bytes(), countMinusOne + 1) ? CONTINUE : FAIL;
}

Visitor::VisitSeqResult PERDecoder::visitKnownExtension(SEQUENCE& value, int index, int optionNumber)
{
    if (!value.hasOptionalField(optionNumber))
        return CONTINUE;
    Window window{};
    if (!openOpenType(window))
        return FAIL;
    AbstractData* field = value.getField(index);
    if (field == nullptr)
        field = value.makeField(index);
    bool ok = true;
    if (field == nullptr)
        value.removeOptionalField(optionNumber); // skipped by its length
    else
        ok = decodeComponent(*field);
    closeWindow(window);
    return ok ? CONTINUE : FAIL;
}

Visitor::VisitSeqResult PERDecoder::visitUnknownExtensions(SEQUENCE& value)
{
    SEQUENCE::BitMap const& extensions = value.extensionMap();
    for (unsigned i = value.info()->knownExtensions; i < extensions.size(); ++i) {
        if (!extensions[i])
            continue;
        unsigned length = 0;
        if (decodeLength(0, UnboundedLength, length) != 0 || !skipOctets(length))
            return FAIL;
    }
    return STOP;
}

bool PERDecoder::do_visit(SEQUENCE_OF_Base& value)
{
    unsigned count = 0;
    if (decodeConstrainedLength(value, count) != 0 || aboveLimit(count, MaximumArraySize))
        return false;
    if (value.size() > count)
        value.resize(count);
    // Elements are made one at a time as they are read, so that a count
    // that the input cannot back makes no more than one element.
    for (unsigned i = 0; i < count; ++i) {
        if (i == value.size()) {
            if (value.info()->elementInfo == nullptr)
                return false;
            value.resize(i + 1);
        }
        AbstractData* element = value.elementAt(i);
        if (element == nullptr || !decodeComponent(*element)) {
            value.resize(i);
            return false;
        }
    }
    return true;
}

bool PERDecoder::do_visit(GeneralizedTime& value)
{
    unsigned length = 0;
    if (decodeLength(0, UnboundedLength, length) != 0 || length > octetsLeftAfterAlign())
        return false;
    std::string text(length, '\0');
    if (decodeBlock(&text[0], length) != length)
        return false;
    value.set(text.c_str());
    return true;
}

bool PERDecoder::do_visit(OpenData& value)
{
    unsigned length = 0;
    if (decodeLength(0, UnboundedLength, length) != 0 || length > octetsLeftAfterAlign())
        return false;
    std::vector<char> buffer(length);
    if (decodeBlock(buffer.data(), length) != length)
        return false;
    value.make_buf().swap(buffer);
    return true;
}

bool PERDecoder::do_revisit(OpenData& value)
{
    if (!value.has_buf() || !value.has_data())
        return false;
    std::vector<char> const& buffer = *value.get_buf();
    PERDecoder nested(env_, buffer.data(), buffer.data() + buffer.size(), true);
    nested.depth_ = depth_;
    return nested.decodeComponent(*value.get_data());
}

bool PERDecoder::do_visit(TypeConstrainedOpenData& value)
{
    Window window{};
    if (!openOpenType(window))
        return false;
    bool const ok = value.has_data() && decodeComponent(*value.get_data());
    closeWindow(window);
    return ok;
}

} // namespace ASN1
