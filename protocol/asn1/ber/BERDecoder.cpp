#include "protocol/asn1/ber/BERDecoder.h"

#include "protocol/asn1/ber/BEREncoder.h"
#include "protocol/asn1/ber/BERTags.h"
#include "protocol/asn1/value/Values.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace ASN1 {

namespace {

unsigned char octet(char const* p)
{
    return static_cast<unsigned char>(*p);
}

} // namespace

BERDecoder::BERDecoder(CoderEnv* env, char const* first, char const* last)
    : env_(env), position_(first), end_(last), skipTagCheck_(0), depth_(0)
{
}

bool BERDecoder::decode(CoderEnv* env, char const* first, char const* last, AbstractData& value)
{
    BERDecoder decoder(env, first, last);
    return decoder.decodeComponent(value);
}

void BERDecoder::restore(State const& s)
{
    position_ = s.position;
    end_ = s.end;
    ends_.resize(s.openSequences);
    skipTagCheck_ = s.skipTagCheck;
}

bool BERDecoder::decodeComponent(AbstractData& component)
{
    if (depth_ >= MaximumNestingDepth)
        return false;
    ++depth_;
    bool const ok = component.accept(*this);
    --depth_;
    return ok;
}

bool BERDecoder::decodeHeader(unsigned& tag, bool& primitive, unsigned& length)
{
    char const* p = position_;
    if (p == end_)
        return false;
    unsigned char const identifier = octet(p++);
    primitive = (identifier & 0x20) == 0;
    unsigned number = identifier & 0x1F;
    if (number == 31) {
        // Tag numbers above 16 bits would run into the class bits.
        number = 0;
        unsigned char next;
        do {
            if (p == end_)
                return false;
            next = octet(p++);
            number = number << 7 | (next & 0x7F);
            if (number > BER::tagNumberMask)
                return false;
        } while (next & 0x80);
    }
    tag = BER::makeTag(identifier >> 6, number);
    if (p == end_)
        return false;
    unsigned char const first = octet(p++);
    if (first < 0x80) {
        length = first;
    } else {
        // 0x80 is the indefinite form; more than four octets exceed 32 bits.
        unsigned const count = first & 0x7F;
        if (count == 0 || count > 4 || count > static_cast<unsigned>(end_ - p))
            return false;
        length = 0;
        for (unsigned i = 0; i < count; ++i)
            length = length << 8 | octet(p++);
    }
    if (length > static_cast<unsigned>(end_ - p))
        return false;
    position_ = p;
    return true;
}

bool BERDecoder::decodeHeader(AbstractData& value, unsigned& length)
{
    char const* const start = position_;
    bool const skip = skipTagCheck_ > 0;
    skipTagCheck_ = 0;
    unsigned tag = 0;
    bool primitive = false;
    if (!decodeHeader(tag, primitive, length))
        return false;
    if (!skip && tag != value.info()->tag) {
        position_ = start;
        return false;
    }
    return true;
}

unsigned BERDecoder::decodeBlock(char* dst, unsigned n)
{
    unsigned const count = std::min(n, left());
    if (count != 0)
        std::memcpy(dst, position_, count);
    position_ += count;
    return count;
}

bool BERDecoder::decodeContents(AbstractData& value, unsigned limit, char const*& contents, unsigned& length)
{
    if (!decodeHeader(value, length) || length > limit)
        return false;
    contents = position_;
    position_ += length;
    return true;
}

bool BERDecoder::do_visit(Null& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    return decodeContents(value, ~0u, contents, length);
}

bool BERDecoder::do_visit(BOOLEAN& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    if (!decodeContents(value, ~0u, contents, length))
        return false;
    for (unsigned i = 0; i < length; ++i)
        value.setValue(contents[i] != 0);
    return true;
}

bool BERDecoder::decodeInteger(AbstractData& value, bool unsignedRange, int& out)
{
    char const* p = nullptr;
    unsigned length = 0;
    if (!decodeContents(value, 5, p, length) || length == 0)
        return false;
    // A type of unsigned numbers takes 2^31 and above as 0x00 and four octets.
    if (length == 5 && unsignedRange && octet(p) == 0 && (octet(p + 1) & 0x80) != 0)
        ++p, --length;
    else if (length > 4)
        return false;
    unsigned v = (octet(p) & 0x80) ? ~0u : 0u;
    for (unsigned i = 0; i < length; ++i)
        v = v << 8 | octet(p + i);
    out = static_cast<int>(v);
    return true;
}

bool BERDecoder::do_visit(INTEGER& value)
{
    int v = 0;
    if (!decodeInteger(value, holdsUnsignedNumbers(value), v))
        return false;
    value.setValue(v);
    return true;
}

// Read as the encoder writes it, in two's complement, so that a negative
// declared number comes back as itself.
bool BERDecoder::do_visit(ENUMERATED& value)
{
    int v = 0;
    if (!decodeInteger(value, false, v))
        return false;
    value.setValue(v);
    return true;
}

bool BERDecoder::do_visit(OBJECT_IDENTIFIER& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    return decodeContents(value, ~0u, contents, length) && value.decodeCommon(contents, length);
}

bool BERDecoder::do_visit(OCTET_STRING& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    if (!decodeContents(value, MaximumStringSize, contents, length))
        return false;
    value.assign(contents, contents + length);
    return true;
}

bool BERDecoder::do_visit(BIT_STRING& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    if (!decodeContents(value, MaximumStringSize / 8 + 1, contents, length) || length == 0)
        return false;
    unsigned const unused = octet(contents);
    unsigned const octets = length - 1;
    // An empty string has no last octet to leave bits unused in.
    if (unused > 7 || (octets == 0 && unused != 0))
        return false;
    value.resize(8 * octets - unused);
    BitMap::Bytes& data = value.bytes();
    data.assign(contents + 1, contents + length);
    if (unused != 0)
        data[octets - 1] = static_cast<char>(static_cast<unsigned char>(data[octets - 1]) & (0xFFu << unused));
    return true;
}

bool BERDecoder::do_visit(AbstractString& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    if (!decodeContents(value, MaximumStringSize, contents, length))
        return false;
    value.assign(contents, length);
    return true;
}

bool BERDecoder::do_visit(BMPString& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    // Two octets per character: an odd count is no BMPString.
    if (!decodeContents(value, 2 * MaximumStringSize, contents, length) || length % 2 != 0)
        return false;
    std::wstring text(length / 2, L'\0');
    for (unsigned i = 0; i < length / 2; ++i)
        text[i] = static_cast<wchar_t>(octet(contents + 2 * i) << 8 | octet(contents + 2 * i + 1));
    value.assign(text);
    return true;
}

bool BERDecoder::do_visit(GeneralizedTime& value)
{
    char const* contents = nullptr;
    unsigned length = 0;
    if (!decodeContents(value, MaximumStringSize, contents, length))
        return false;
    value.set(std::string(contents, length).c_str());
    return true;
}

bool BERDecoder::decodeChoicePreamle(CHOICE& value, char const*& end)
{
    CHOICE::InfoType const& info = *value.info();
    char const* const start = position_;
    // In a tagged place, or of a tagged type, the CHOICE has a header of its
    // own around the alternative's.
    bool const wrapped = skipTagCheck_ > 0 || info.tag != 0;
    bool const checkOwnTag = skipTagCheck_ == 0 && info.tag != 0;
    skipTagCheck_ = 0;
    unsigned tag = 0;
    unsigned length = 0;
    bool primitive = false;
    if (!decodeHeader(tag, primitive, length))
        return false;
    if (checkOwnTag && tag != info.tag) {
        position_ = start;
        return false;
    }
    if (wrapped) {
        end = position_ + length;
        end_ = end; // the alternative lies inside the wrapper
        char const* const alternative = position_;
        if (!decodeHeader(tag, primitive, length)) {
            position_ = start;
            return false;
        }
        position_ = alternative;
    } else {
        end = position_ + length;
        position_ = start;
    }
    if (!value.setID(BER::tagNumber(tag), BER::tagClass(tag))) {
        position_ = start;
        return false;
    }
    int const selection = value.getSelection();
    if (selection >= 0) {
        // The alternative's header carries its context tag, checked here.
        unsigned const alternativeTag = BER::alternativeTag(info, static_cast<unsigned>(selection));
        skipTagCheck_ = alternativeTag != 0 && alternativeTag == tag ? 1 : 0;
    }
    return true;
}

bool BERDecoder::do_visit(CHOICE& value)
{
    char const* const outerEnd = end_;
    char const* end = nullptr;
    bool ok = decodeChoicePreamle(value, end);
    // An alternative outside this schema is skipped.
    if (ok && value.getSelection() >= 0)
        ok = value.getValue() != nullptr && decodeComponent(*value.getValue());
    end_ = outerEnd;
    if (ok)
        position_ = end;
    return ok;
}

Visitor::VisitSeqResult BERDecoder::preVisitExtensionRoots(SEQUENCE& value)
{
    unsigned length = 0;
    if (!decodeHeader(value, length))
        return FAIL;
    ends_.push_back(end_);
    end_ = position_ + length;
    SEQUENCE::BitMap& options = value.optionMap();
    options.resize(value.info()->numOptional);
    for (unsigned i = 0; i < options.size(); ++i)
        options.clear(i);
    value.extensionMap().resize(0);
    return CONTINUE;
}

Visitor::VisitSeqResult BERDecoder::decodeField(SEQUENCE& value, unsigned index, int optionNumber)
{
    bool const optional = optionNumber >= 0;
    if (position_ == end_)
        return optional ? CONTINUE : FAIL;
    unsigned const fieldTag = BER::fieldTag(*value.info(), index);
    if (fieldTag != 0) {
        State const before = state();
        unsigned tag = 0;
        unsigned length = 0;
        bool primitive = false;
        if (!decodeHeader(tag, primitive, length))
            return FAIL;
        restore(before);
        // Not this field's: absent (a mandatory one keeps its value).
        if (tag != fieldTag)
            return CONTINUE;
    }
    AbstractData* field = nullptr;
    if (optional) {
        value.includeOptionalField(static_cast<unsigned>(optionNumber), index);
        field = value.getField(index);
    } else {
        field = value.makeField(index);
    }
    if (field == nullptr) {
        if (optional)
            value.removeOptionalField(static_cast<unsigned>(optionNumber));
        return FAIL;
    }
    State const before = state();
    skipTagCheck_ = fieldTag != 0 ? 1 : 0;
    if (decodeComponent(*field))
        return CONTINUE;
    if (optional && fieldTag == 0) {
        restore(before);
        value.removeOptionalField(static_cast<unsigned>(optionNumber));
        return CONTINUE;
    }
    return FAIL;
}

Visitor::VisitSeqResult BERDecoder::visitExtensionRoot(SEQUENCE& value, int index, int optionNumber)
{
    return decodeField(value, static_cast<unsigned>(index), optionNumber);
}

Visitor::VisitSeqResult BERDecoder::visitKnownExtension(SEQUENCE& value, int index, int optionNumber)
{
    return decodeField(value, static_cast<unsigned>(index), optionNumber);
}

// Unknown extension additions (and anything else left) are skipped.
Visitor::VisitSeqResult BERDecoder::visitUnknownExtensions(SEQUENCE&)
{
    if (ends_.empty())
        return FAIL;
    position_ = end_;
    end_ = ends_.back();
    ends_.pop_back();
    return STOP;
}

bool BERDecoder::do_visit(SEQUENCE_OF_Base& value)
{
    value.clear();
    unsigned length = 0;
    if (!decodeHeader(value, length))
        return false;
    char const* const outerEnd = end_;
    end_ = position_ + length;
    while (position_ < end_) {
        unsigned const n = value.size();
        if (n >= static_cast<unsigned>(MaximumArraySize) || value.info()->elementInfo == nullptr)
            return false;
        value.resize(n + 1);
        AbstractData* element = value.elementAt(n);
        char const* const before = position_;
        // An element that reads nothing would be read again without end.
        if (element == nullptr || !decodeComponent(*element) || position_ == before)
            return false;
    }
    position_ = end_;
    end_ = outerEnd;
    return true;
}

bool BERDecoder::do_visit(OpenData& value)
{
    char const* const start = position_;
    bool const tagged = skipTagCheck_ > 0 || value.info()->tag != 0;
    skipTagCheck_ = 0;
    unsigned tag = 0;
    unsigned length = 0;
    bool primitive = false;
    if (!decodeHeader(tag, primitive, length))
        return false;
    // An untagged open type's octets are the complete encoding it holds.
    char const* const first = tagged ? position_ : start;
    char const* const last = position_ + length;
    value.make_buf().assign(first, last);
    position_ = last;
    return true;
}

bool BERDecoder::do_revisit(OpenData& value)
{
    if (!value.has_buf() || !value.has_data())
        return false;
    std::vector<char> const& buffer = *value.get_buf();
    BERDecoder nested(env_, buffer.data(), buffer.data() + buffer.size());
    nested.depth_ = depth_;
    return nested.decodeComponent(*value.get_data());
}

bool BERDecoder::do_visit(TypeConstrainedOpenData& value)
{
    if (!value.has_data())
        return false;
    if (skipTagCheck_ == 0 && value.info()->tag == 0)
        return decodeComponent(*value.get_data());
    skipTagCheck_ = 0;
    unsigned tag = 0;
    unsigned length = 0;
    bool primitive = false;
    if (!decodeHeader(tag, primitive, length))
        return false;
    char const* const outerEnd = end_;
    end_ = position_ + length;
    char const* const last = end_;
    bool const ok = decodeComponent(*value.get_data());
    end_ = outerEnd;
    if (ok)
        position_ = last;
    return ok;
}

} // namespace ASN1
