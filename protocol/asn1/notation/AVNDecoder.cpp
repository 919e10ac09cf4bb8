#include "protocol/asn1/notation/AVNDecoder.h"

#include "protocol/asn1/notation/ValueNotationText.h"
#include "protocol/asn1/value/Limits.h"
#include "protocol/asn1/value/Values.h"

#include <cctype>
#include <climits>
#include <cwchar>
#include <sstream>

namespace ASN1 {

namespace {

char const closed[] = "}";

bool isNumberStart(int c) { return c == '-' || (c >= '0' && c <= '9'); }

bool readInRange(std::istream& is, long long low, long long high, long long& number)
{
    return readNumber(is, number) && number >= low && number <= high;
}

} // namespace

bool AVNDecoder::read(AbstractData& value)
{
    if (depth_ >= MaximumNestingDepth)
        return false;
    ++depth_;
    bool result = value.accept(*this);
    --depth_;
    return result;
}

bool AVNDecoder::do_visit(Null&) { return readKeyword(*strm_, "NULL"); }

bool AVNDecoder::do_visit(BOOLEAN& value)
{
    int first = peekNonSpace(*strm_);
    bool truth = first == 'T';
    if (!readKeyword(*strm_, truth ? "TRUE" : "FALSE"))
        return false;
    value.setValue(truth);
    return true;
}

bool AVNDecoder::do_visit(INTEGER& value)
{
    long long number;
    if (value.isUnsignedRange()) {
        if (!readInRange(*strm_, 0, UINT_MAX, number))
            return false;
        value.setValue(static_cast<int>(static_cast<unsigned>(number)));
    } else {
        if (!readInRange(*strm_, INT_MIN, INT_MAX, number))
            return false;
        value.setValue(static_cast<int>(number));
    }
    return true;
}

bool AVNDecoder::do_visit(IntegerWithNamedNumber& value)
{
    if (isNumberStart(peekNonSpace(*strm_)))
        return do_visit(static_cast<INTEGER&>(value));
    return value.setFromName(readIdentifier(*strm_));
}

bool AVNDecoder::do_visit(ENUMERATED& value)
{
    if (isNumberStart(peekNonSpace(*strm_))) {
        long long number;
        if (!readInRange(*strm_, INT_MIN, INT_MAX, number))
            return false;
        value.setValue(static_cast<int>(number));
        return true;
    }
    return value.setFromName(readIdentifier(*strm_));
}

bool AVNDecoder::do_visit(OBJECT_IDENTIFIER& value)
{
    if (!expectChar(*strm_, '{'))
        return false;
    value.arcs().clear();
    while (!expectChar(*strm_, '}')) {
        if (value.levels() == static_cast<unsigned>(MaximumArraySize))
            return false;
        long long arc;
        if (isNumberStart(peekNonSpace(*strm_))) {
            if (!readInRange(*strm_, 0, UINT_MAX, arc))
                return false;
        } else if (readIdentifier(*strm_).empty() || !expectChar(*strm_, '(')
                   || !readInRange(*strm_, 0, UINT_MAX, arc) || !expectChar(*strm_, ')')) {
            return false;
        }
        value.arcs().push_back(static_cast<unsigned>(arc));
    }
    return true;
}

bool AVNDecoder::do_visit(OCTET_STRING& value)
{
    std::vector<char> octets;
    unsigned bits;
    if (!get_value_from(*strm_, octets, bits))
        return false;
    value = octets;
    return true;
}

bool AVNDecoder::do_visit(BIT_STRING& value)
{
    std::vector<char> octets;
    unsigned bits;
    if (!get_value_from(*strm_, octets, bits) || bits > static_cast<unsigned>(MaximumStringSize))
        return false;
    value.resize(bits);
    value.bytes().assign(octets.begin(), octets.end());
    return true;
}

bool AVNDecoder::do_visit(AbstractString& value)
{
    std::string text;
    if (!get_string(*strm_, text))
        return false;
    value = text;
    return true;
}

bool AVNDecoder::do_visit(BMPString& value)
{
    if (peekNonSpace(*strm_) == '{')
        return readQuadruples(value);
    std::string text;
    if (!get_string(*strm_, text))
        return false;
    std::wstring wide;
    std::mbstate_t state{};
    for (std::size_t at = 0; at < text.size();) {
        wchar_t c;
        std::size_t length = std::mbrtowc(&c, text.data() + at, text.size() - at, &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2))
            return false;
        wide += c;
        at += length ? length : 1;
    }
    value = wide;
    return true;
}

// { { group, plane, row, cell }, ... }
bool AVNDecoder::readQuadruples(BMPString& value)
{
    expectChar(*strm_, '{');
    std::wstring wide;
    if (!expectChar(*strm_, '}')) {
        do {
            unsigned code = 0;
            if (wide.size() == static_cast<std::size_t>(MaximumStringSize) || !expectChar(*strm_, '{'))
                return false;
            for (int part = 0; part < 4; ++part) {
                long long number;
                if ((part && !expectChar(*strm_, ',')) || !readInRange(*strm_, 0, 255, number))
                    return false;
                code = (code << 8) | static_cast<unsigned>(number);
            }
            if (!expectChar(*strm_, '}'))
                return false;
            wide += static_cast<wchar_t>(code);
        } while (expectChar(*strm_, ','));
        if (!expectChar(*strm_, '}'))
            return false;
    }
    value = wide;
    return true;
}

bool AVNDecoder::do_visit(GeneralizedTime& value)
{
    std::string text;
    return get_string(*strm_, text) && value.set(text.c_str());
}

bool AVNDecoder::do_visit(CHOICE& value)
{
    int index;
    // The identifier is a word: a colon written right after it is part of it.
    if (!get_id(value.info()->selectionNames, value.info()->totalChoices, readWord(*strm_), index)
        || !expectChar(*strm_, ':') || !value.select(index))
        return false;
    return read(*value.getValue());
}

bool AVNDecoder::do_visit(SEQUENCE_OF_Base& value)
{
    value.clear();
    if (!expectChar(*strm_, '{'))
        return false;
    if (expectChar(*strm_, '}'))
        return true;
    do {
        if (value.size() == static_cast<unsigned>(MaximumArraySize))
            return false;
        value.resize(value.size() + 1);
        if (!read(*value.elementAt(value.size() - 1)))
            return false;
    } while (expectChar(*strm_, ','));
    return expectChar(*strm_, '}');
}

// An open type reads into the value it holds; one without a value takes
// undecoded octets.
bool AVNDecoder::do_visit(OpenData& value)
{
    if (value.has_data())
        return read(*value.get_data());
    if (peekNonSpace(*strm_) != '\'')
        return false;
    unsigned bits;
    return get_value_from(*strm_, value.make_buf(), bits);
}

bool AVNDecoder::do_revisit(OpenData&) { return false; }

bool AVNDecoder::do_visit(TypeConstrainedOpenData& value)
{
    return value.has_data() && read(*value.get_data());
}

Visitor::VisitSeqResult AVNDecoder::preVisitExtensionRoots(SEQUENCE& seq)
{
    if (!expectChar(*strm_, '{'))
        return FAIL;
    if (expectChar(*strm_, '}')) {
        // No field given: valid only when every root field is OPTIONAL.
        for (unsigned i = 0; i < seq.info()->numFields; ++i)
            if (!seq.info()->ids || seq.info()->ids[i] == -1)
                return FAIL;
        seq.optionMap().clearAll();
        seq.extensionMap().clearAll();
        return STOP;
    }
    std::string identifier = readWord(*strm_);
    if (identifier.empty())
        return FAIL;
    identifiers_.push_back(identifier);
    return CONTINUE;
}

Visitor::VisitSeqResult AVNDecoder::visitExtensionRoot(SEQUENCE& seq, int index, int optionNumber)
{
    return readField(seq, index, optionNumber);
}

Visitor::VisitSeqResult AVNDecoder::visitKnownExtension(SEQUENCE& seq, int index, int optionNumber)
{
    return readField(seq, index, optionNumber);
}

Visitor::VisitSeqResult AVNDecoder::readField(SEQUENCE& seq, int index, int optionNumber)
{
    char const* name = seq.fieldName(static_cast<unsigned>(index));
    if (!name || identifiers_.back() != name) {
        if (optionNumber == -1)
            return FAIL;
        seq.removeOptionalField(static_cast<unsigned>(optionNumber));
        return CONTINUE;
    }
    if (optionNumber != -1)
        seq.includeOptionalField(static_cast<unsigned>(optionNumber), static_cast<unsigned>(index));
    AbstractData* field = seq.makeField(static_cast<unsigned>(index));
    if (!field || !read(*field))
        return FAIL;
    // After a comma comes the next identifier, or the closing brace as a word
    // of its own.
    if (expectChar(*strm_, ',')) {
        identifiers_.back() = readWord(*strm_);
        return identifiers_.back().empty() ? FAIL : CONTINUE;
    }
    if (!expectChar(*strm_, '}'))
        return FAIL;
    identifiers_.back() = closed;
    return CONTINUE;
}

Visitor::VisitSeqResult AVNDecoder::visitUnknownExtensions(SEQUENCE&)
{
    // An identifier left over names no field of the type, or one out of order.
    if (identifiers_.back() != closed)
        return FAIL;
    identifiers_.pop_back();
    return STOP;
}

std::ios_base::iostate AbstractData::get_from(std::istream& is)
{
    AVNDecoder reader(is);
    return reader.read(*this) ? std::ios_base::goodbit : std::ios_base::failbit;
}

bool AbstractData::setFromValueNotation(std::string const& text)
{
    std::istringstream is(text);
    AVNDecoder reader(is);
    return reader.read(*this);
}

} // namespace ASN1
