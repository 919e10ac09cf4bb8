#include "protocol/asn1/constraints/ConstraintChecks.h"

#include "protocol/asn1/value/Values.h"

#include <cstring>
#include <ostream>

namespace ASN1 {

namespace {

// The two strengths of a check.
enum Strength { Extendable, RootOnly };

bool checked(AbstractData const* value, Strength strength)
{
    if (!value)
        return false;
    return strength == RootOnly ? value->isStrictlyValid() : value->isValid();
}

// The size of a string or list against its bounds. The upper bound of an
// extendable size range holds for the root only; a lower bound alone sets
// no upper one.
bool sizeAboveUpperBound(ConstrainedObject const& value, unsigned size, Strength strength)
{
    if (strength == Extendable && value.constraintType() != FixedConstraint)
        return false;
    return value.aboveUpperBound(static_cast<int>(size));
}

bool sizeFits(ConstrainedObject const& value, unsigned size, Strength strength)
{
    return !value.belowLowerBound(static_cast<int>(size)) && !sizeAboveUpperBound(value, size, strength);
}

bool integerFits(INTEGER const& value, Strength strength)
{
    return (strength == Extendable && value.extendable()) || value.isStrictValid();
}

// An extendable enumeration takes numbers beyond its root items, which the
// coders send as extension values; no coder can send a negative one.
bool enumerationFits(ENUMERATED const& value, Strength strength)
{
    if (strength == Extendable && value.extendable())
        return value.getValue() >= 0;
    return value.isStrictlyValid();
}

bool listFits(SEQUENCE_OF_Base const& value, Strength strength)
{
    if (!sizeFits(value, value.size(), strength))
        return false;
    for (AbstractData const* element : value.elements()) {
        if (!checked(element, strength))
            return false;
    }
    return true;
}

bool choiceFits(CHOICE const& value, Strength strength)
{
    CHOICE::InfoType const* info = value.info();
    int const selection = value.getSelection();
    if (selection < 0 || static_cast<unsigned>(selection) >= info->totalChoices)
        return false;
    if (static_cast<unsigned>(selection) >= info->numChoices && (strength == RootOnly || !info->extendable))
        return false;
    return checked(value.getValue(), strength);
}

bool openTypeFits(OpenData const& value, Strength strength)
{
    if (value.has_data())
        return checked(value.get_data(), strength);
    return value.has_buf();
}

} // namespace

// The checks each kind offers on its own.

bool AbstractData::isValid() const
{
    ValidChecker checker;
    return accept(checker);
}

bool AbstractData::isStrictlyValid() const
{
    StrictlyValidChecker checker;
    return accept(checker);
}

bool INTEGER::isStrictValid() const { return !belowLowerBound(value_) && !aboveUpperBound(value_); }

bool ENUMERATED::isStrictlyValid() const { return value_ >= 0 && value_ <= getMaximum(); }

bool AbstractString::isValid() const { return sizeFits(*this, size(), Extendable) && first_illegal_at() == size(); }
bool AbstractString::isStrictlyValid() const { return sizeFits(*this, size(), RootOnly) && first_illegal_at() == size(); }

// A type with a character set of its own permits those characters; one
// without (a size-constrained IA5String, say) the codes that fit its
// canonical width.
bool AbstractString::legalCharacter(char c) const
{
    InfoType const* i = info();
    if (i->characterSet && i->characterSetSize > 0)
        return std::memchr(i->characterSet, c, i->characterSetSize) != nullptr;
    if (i->canonicalBits > 0 && i->canonicalBits < 8)
        return static_cast<unsigned char>(c) >> i->canonicalBits == 0;
    return true;
}

AbstractString::size_type AbstractString::first_illegal_at() const
{
    size_type i = 0;
    while (i < size() && legalCharacter((*this)[i]))
        ++i;
    return i;
}

bool BMPString::isValid() const { return sizeFits(*this, size(), Extendable) && first_illegal_at() == size(); }
bool BMPString::isStrictlyValid() const { return sizeFits(*this, size(), RootOnly) && first_illegal_at() == size(); }

bool BMPString::legalCharacter(wchar_t c) const
{
    unsigned const code = static_cast<unsigned>(c);
    return code >= info()->firstChar && code <= info()->lastChar;
}

BMPString::size_type BMPString::first_illegal_at() const
{
    size_type i = 0;
    while (i < size() && legalCharacter((*this)[i]))
        ++i;
    return i;
}

bool GeneralizedTime::isStrictlyValid() const
{
    return year_ >= 1 && month_ >= 1 && month_ <= 12 && day_ >= 1 && day_ <= 31 && hour_ >= 0 && hour_ <= 24 &&
           minute_ >= 0 && minute_ <= 59 && second_ >= 0 && second_ <= 59 && mindiff_ >= -720 && mindiff_ <= 720;
}

bool CHOICE::isValid() const { return choiceFits(*this, Extendable); }
bool CHOICE::isStrictlyValid() const { return choiceFits(*this, RootOnly); }

bool SEQUENCE_OF_Base::isValid() const { return listFits(*this, Extendable); }
bool SEQUENCE_OF_Base::isStrictlyValid() const { return listFits(*this, RootOnly); }

bool OpenData::isValid() const { return openTypeFits(*this, Extendable); }
bool OpenData::isStrictlyValid() const { return openTypeFits(*this, RootOnly); }

// The checkers.

bool ValidChecker::do_visit(Null const&) { return true; }
bool ValidChecker::do_visit(BOOLEAN const&) { return true; }
bool ValidChecker::do_visit(INTEGER const& value) { return integerFits(value, Extendable); }
bool ValidChecker::do_visit(ENUMERATED const& value) { return enumerationFits(value, Extendable); }
bool ValidChecker::do_visit(OBJECT_IDENTIFIER const& value) { return value.levels() > 0; }
bool ValidChecker::do_visit(BIT_STRING const& value) { return sizeFits(value, value.size(), Extendable); }
bool ValidChecker::do_visit(OCTET_STRING const& value) { return sizeFits(value, value.size(), Extendable); }
bool ValidChecker::do_visit(AbstractString const& value) { return value.isValid(); }
bool ValidChecker::do_visit(BMPString const& value) { return value.isValid(); }
bool ValidChecker::do_visit(CHOICE const& value) { return value.isValid(); }
bool ValidChecker::do_visit(OpenData const& value) { return value.isValid(); }
bool ValidChecker::do_visit(GeneralizedTime const& value) { return value.isStrictlyValid(); }
bool ValidChecker::do_visit(SEQUENCE_OF_Base const& value) { return value.isValid(); }
bool ValidChecker::visitExtensionRoot(SEQUENCE const& seq, int index) { return checked(seq.getField(index), Extendable); }
bool ValidChecker::visitKnownExtension(SEQUENCE const& seq, int index) { return checked(seq.getField(index), Extendable); }

bool StrictlyValidChecker::do_visit(Null const&) { return true; }
bool StrictlyValidChecker::do_visit(BOOLEAN const&) { return true; }
bool StrictlyValidChecker::do_visit(INTEGER const& value) { return integerFits(value, RootOnly); }
bool StrictlyValidChecker::do_visit(ENUMERATED const& value) { return enumerationFits(value, RootOnly); }
bool StrictlyValidChecker::do_visit(OBJECT_IDENTIFIER const& value) { return value.levels() > 0; }
bool StrictlyValidChecker::do_visit(BIT_STRING const& value) { return sizeFits(value, value.size(), RootOnly); }
bool StrictlyValidChecker::do_visit(OCTET_STRING const& value) { return sizeFits(value, value.size(), RootOnly); }
bool StrictlyValidChecker::do_visit(AbstractString const& value) { return value.isStrictlyValid(); }
bool StrictlyValidChecker::do_visit(BMPString const& value) { return value.isStrictlyValid(); }
bool StrictlyValidChecker::do_visit(CHOICE const& value) { return value.isStrictlyValid(); }
bool StrictlyValidChecker::do_visit(OpenData const& value) { return value.isStrictlyValid(); }
bool StrictlyValidChecker::do_visit(GeneralizedTime const& value) { return value.isStrictlyValid(); }
bool StrictlyValidChecker::do_visit(SEQUENCE_OF_Base const& value) { return value.isStrictlyValid(); }
bool StrictlyValidChecker::visitExtensionRoot(SEQUENCE const& seq, int index) { return checked(seq.getField(index), RootOnly); }
bool StrictlyValidChecker::visitKnownExtension(SEQUENCE const& seq, int index) { return checked(seq.getField(index), RootOnly); }

// The tracer. It holds the extendable range of an INTEGER (above its upper
// bound) and any known CHOICE alternative as valid, but reports the root
// bounds of everything else.

bool InvalidTracer::do_visit(Null const&) { return true; }
bool InvalidTracer::do_visit(BOOLEAN const&) { return true; }

bool InvalidTracer::do_visit(INTEGER const& value)
{
    int const v = value.getValue();
    bool const below = value.belowLowerBound(v);
    if (!below && (value.extendable() || !value.aboveUpperBound(v)))
        return true;
    strm << " The INTEGER value ";
    if (value.getLowerLimit() >= 0)
        strm << static_cast<unsigned>(v);
    else
        strm << v;
    if (below)
        strm << " is smaller than lower bound " << value.getLowerLimit();
    else
        strm << " is greater than upper bound " << value.getUpperLimit();
    return false;
}

bool InvalidTracer::do_visit(ENUMERATED const& value)
{
    if (value.isStrictlyValid())
        return true;
    strm << " This ENUMERATED has invalid value " << value.getValue();
    return false;
}

bool InvalidTracer::do_visit(OBJECT_IDENTIFIER const& value)
{
    if (value.levels() > 0)
        return true;
    strm << " This OBJECT IDENTIFIER is not assigned";
    return false;
}

bool InvalidTracer::checkSize(ConstrainedObject const& value, unsigned size, char const* kindName)
{
    if (value.belowLowerBound(static_cast<int>(size))) {
        strm << " This " << kindName << " has size " << size << " smaller than its lower bound " << value.getLowerLimit();
        return false;
    }
    if (value.constraintType() == FixedConstraint && value.aboveUpperBound(static_cast<int>(size))) {
        strm << " This " << kindName << " has size " << size << " greater than its upper bound " << value.getUpperLimit();
        return false;
    }
    return true;
}

bool InvalidTracer::do_visit(BIT_STRING const& value) { return checkSize(value, value.size(), "BIT STRING"); }
bool InvalidTracer::do_visit(OCTET_STRING const& value) { return checkSize(value, value.size(), "OCTET STRING"); }

bool InvalidTracer::do_visit(AbstractString const& value)
{
    if (!checkSize(value, value.size(), "AbstractString"))
        return false;
    AbstractString::size_type const at = value.first_illegal_at();
    if (at == value.size())
        return true;
    strm << " The character '" << value[at] << "' is not valid for the string";
    return false;
}

bool InvalidTracer::do_visit(BMPString const& value)
{
    if (!checkSize(value, value.size(), "BMPString"))
        return false;
    BMPString::size_type const at = value.first_illegal_at();
    if (at == value.size())
        return true;
    strm << " The character '" << static_cast<unsigned>(value[at]) << "' is not valid for the string";
    return false;
}

bool InvalidTracer::do_visit(GeneralizedTime const& value)
{
    if (value.isStrictlyValid())
        return true;
    strm << " This GeneralizedTime is not valid";
    return false;
}

bool InvalidTracer::do_visit(CHOICE const& value)
{
    int const selection = value.getSelection();
    if (selection == CHOICE::unknownSelection ||
        (selection >= 0 && static_cast<unsigned>(selection) >= value.info()->totalChoices)) {
        strm << " This selection is not understood by this decoder";
        return false;
    }
    if (selection < 0 || !value.getValue()) {
        strm << " This CHOICE is not selected";
        return false;
    }
    strm << '.';
    if (char const* name = value.getSelectionName())
        strm << name;
    return value.getValue()->accept(*this);
}

bool InvalidTracer::do_visit(OpenData const& value)
{
    if (value.has_data())
        return value.get_data()->accept(*this);
    if (value.has_buf())
        return true;
    strm << " This Open Type does not contain any valid data";
    return false;
}

bool InvalidTracer::do_visit(SEQUENCE_OF_Base const& value)
{
    if (!checkSize(value, value.size(), "SEQUENCE OF"))
        return false;
    for (unsigned i = 0; i < value.size(); ++i) {
        if (!traceComponent(value.elementAt(i), "[" + std::to_string(i) + "]"))
            return false;
    }
    return true;
}

bool InvalidTracer::visitExtensionRoot(SEQUENCE const& seq, int index)
{
    char const* name = seq.fieldName(static_cast<unsigned>(index));
    return traceComponent(seq.getField(static_cast<unsigned>(index)), std::string(".") + (name ? name : ""));
}

bool InvalidTracer::visitKnownExtension(SEQUENCE const& seq, int index) { return visitExtensionRoot(seq, index); }

bool InvalidTracer::traceComponent(AbstractData const* component, std::string const& step)
{
    if (!component) {
        strm << step << " This value is missing";
        return false;
    }
    InvalidTracer tracer;
    if (component->accept(tracer))
        return true;
    strm << step << tracer.explanation();
    return false;
}

bool trace_invalid(std::ostream& os, char const* prefix, AbstractData const& value)
{
    InvalidTracer tracer;
    if (value.accept(tracer))
        return true;
    os << (prefix ? prefix : "") << tracer.explanation() << std::endl;
    return false;
}

} // namespace ASN1
