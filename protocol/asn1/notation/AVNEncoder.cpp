#include "protocol/asn1/notation/AVNEncoder.h"

#include "protocol/asn1/notation/ValueNotationText.h"
#include "protocol/asn1/value/Limits.h"
#include "protocol/asn1/value/Values.h"

#include <boost/scoped_array.hpp>

#include <climits>
#include <cwchar>
#include <sstream>

namespace ASN1 {

bool AVNEncoder::write(std::string_view text)
{
    strm_->write(text.data(), static_cast<std::streamsize>(text.size()));
    return strm_->good();
}

bool AVNEncoder::writeBlanks(int count)
{
    return write(std::string(count > 0 ? static_cast<std::size_t>(count) : 0, ' '));
}

bool AVNEncoder::placeholder(std::string_view text)
{
    complete_ = false;
    return write(text);
}

bool AVNEncoder::print(AbstractData const& value)
{
    if (depth_ >= MaximumNestingDepth)
        return placeholder("<nested too deep>");
    ++depth_;
    bool result = value.accept(*this);
    --depth_;
    // A value that refuses every visitor (the stand-in of a schema type whose
    // members are unknown) has no text; the stream is still good then.
    if (!result && strm_->good())
        return placeholder("<value without notation>");
    return result;
}

bool AVNEncoder::do_visit(Null const&) { return write("NULL"); }

bool AVNEncoder::do_visit(BOOLEAN const& value) { return write(value.getValue() ? "TRUE" : "FALSE"); }

bool AVNEncoder::do_visit(INTEGER const& value)
{
    if (value.isUnsignedRange())
        return write(std::to_string(static_cast<unsigned>(value.getValue())));
    return write(std::to_string(value.getValue()));
}

bool AVNEncoder::do_visit(IntegerWithNamedNumber const& value)
{
    std::string name;
    if (value.getName(name))
        return write(name);
    return do_visit(static_cast<INTEGER const&>(value));
}

bool AVNEncoder::do_visit(ENUMERATED const& value)
{
    std::string_view name = value.getName();
    if (name.empty())
        return write(std::to_string(value.getValue()));
    return write(name);
}

bool AVNEncoder::do_visit(OBJECT_IDENTIFIER const& value)
{
    std::string text = "{ ";
    for (unsigned arc : value.arcs())
        text += std::to_string(arc) + ' ';
    return write(text + '}');
}

bool AVNEncoder::do_visit(BIT_STRING const& value)
{
    std::string text = "'";
    for (unsigned i = 0; i < value.size(); ++i)
        text += value[i] ? '1' : '0';
    return write(text + "'B");
}

bool AVNEncoder::do_visit(OCTET_STRING const& value)
{
    std::string text;
    appendOctets(text, value.data(), value.size());
    return write(text);
}

bool AVNEncoder::do_visit(AbstractString const& value)
{
    std::string text;
    appendQuoted(text, value);
    return write(text);
}

bool AVNEncoder::do_visit(BMPString const& value)
{
    // The text form when every character converts to multibyte text in the
    // process's locale, else each character as a quadruple.
    boost::scoped_array<char> buffer(new char[MB_LEN_MAX]);
    std::mbstate_t state{};
    std::string converted;
    bool convertible = true;
    for (wchar_t c : value) {
        std::size_t length = std::wcrtomb(buffer.get(), c, &state);
        if (length == static_cast<std::size_t>(-1)) {
            convertible = false;
            break;
        }
        converted.append(buffer.get(), length);
    }
    std::string text;
    if (convertible) {
        appendQuoted(text, converted);
        return write(text);
    }
    text = "{";
    for (std::size_t i = 0; i < value.size(); ++i) {
        unsigned code = static_cast<unsigned>(value[i]);
        text += i ? ", " : "";
        text += "{ " + std::to_string(code >> 24) + ", " + std::to_string((code >> 16) & 0xFF) + ", "
              + std::to_string((code >> 8) & 0xFF) + ", " + std::to_string(code & 0xFF) + "}";
    }
    return write(text + "}");
}

bool AVNEncoder::do_visit(GeneralizedTime const& value)
{
    std::string text;
    appendQuoted(text, value.get());
    return write(text);
}

bool AVNEncoder::do_visit(OpenData const& value)
{
    if (value.has_data())
        return print(*value.get_data());
    if (value.has_buf()) {
        std::string text;
        appendOctets(text, value.get_buf()->data(), value.get_buf()->size());
        return write(text);
    }
    return placeholder("<empty open type>");
}

bool AVNEncoder::do_visit(CHOICE const& value)
{
    char const* name = value.getSelectionName();
    if (!name || !value.getValue())
        return placeholder(value.getSelection() == CHOICE::unselected ? "<no selection>" : "<unknown selection>");
    return write(name) && write(" : ") && print(*value.getValue());
}

bool AVNEncoder::do_visit(SEQUENCE_OF_Base const& value)
{
    if (!write("{\n"))
        return false;
    indent_ += 2;
    for (unsigned i = 0; i < value.size() && strm_->good(); ++i) {
        writeBlanks(indent_);
        AbstractData const* element = value.elementAt(i);
        if (!(element ? print(*element) : placeholder("<absent>")))
            return false;
        if (i + 1 < value.size())
            write(",\n");
    }
    indent_ -= 2;
    if (!value.empty() && strm_->good())
        write("\n");
    return writeBlanks(indent_) && write("}");
}

bool AVNEncoder::preVisitExtensionRoots(SEQUENCE const&)
{
    outerFieldPrinted_.push_back(false);
    return write("{\n");
}

bool AVNEncoder::visitExtensionRoot(SEQUENCE const& seq, int index) { return printField(seq, index); }

bool AVNEncoder::visitKnownExtension(SEQUENCE const& seq, int index) { return printField(seq, index); }

bool AVNEncoder::printField(SEQUENCE const& seq, int index)
{
    if (outerFieldPrinted_.back())
        write(",\n");
    char const* name = seq.fieldName(static_cast<unsigned>(index));
    writeBlanks(indent_ + 2);
    write(name ? name : "?");
    write(" ");
    indent_ += 2;
    AbstractData const* field = seq.getField(static_cast<unsigned>(index));
    bool printed = field ? print(*field) : placeholder("<absent>");
    indent_ -= 2;
    if (!printed)
        return false;
    outerFieldPrinted_.back() = true;
    return strm_->good();
}

bool AVNEncoder::afterVisitSequence(SEQUENCE const&)
{
    if (outerFieldPrinted_.back())
        write("\n");
    outerFieldPrinted_.pop_back();
    return writeBlanks(indent_) && write("}");
}

std::ios_base::iostate AbstractData::print_on(std::ostream& os) const
{
    AVNEncoder printer(os);
    std::ios_base::iostate state = printer.print(*this) ? std::ios_base::goodbit : std::ios_base::failbit;
    os.width(0);
    return state;
}

std::string AbstractData::asValueNotation() const
{
    std::ostringstream text;
    AVNEncoder printer(text);
    printer.print(*this);
    return text.str();
}

} // namespace ASN1
