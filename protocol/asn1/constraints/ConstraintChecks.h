#pragma once
// Checks of a value against its type's constraints, in two strengths, and
// an explanation of the first violation. ValidChecker accepts what the
// type's extension markers allow (an INTEGER beyond an extendable range, a
// CHOICE alternative beyond the root of an extendable type);
// StrictlyValidChecker only the root. InvalidTracer writes a path to the
// offending part (".field", "[index]", ".alternative") and a message that
// starts with a blank. Nothing in the links calls them: the coders do their
// own range handling; the checks serve code that wants to vet a value it
// built or received.
//
// The range rule is the one of ConstrainedObject: an unconstrained INTEGER
// takes any value; with a lower bound of 0 or more the value and bounds are
// unsigned 32-bit numbers, with a negative one signed.
#include "protocol/asn1/value/ConstrainedObject.h"
#include "protocol/asn1/value/Visitor.h"

#include <iosfwd>
#include <sstream>
#include <string>

namespace ASN1 {

class ValidChecker : public ConstVisitor {
protected:
    bool do_visit(Null const& value) override;
    bool do_visit(BOOLEAN const& value) override;
    bool do_visit(INTEGER const& value) override;
    bool do_visit(ENUMERATED const& value) override;
    bool do_visit(OBJECT_IDENTIFIER const& value) override;
    bool do_visit(BIT_STRING const& value) override;
    bool do_visit(OCTET_STRING const& value) override;
    bool do_visit(AbstractString const& value) override;
    bool do_visit(BMPString const& value) override;
    bool do_visit(CHOICE const& value) override;
    bool do_visit(OpenData const& value) override;
    bool do_visit(GeneralizedTime const& value) override;
    bool do_visit(SEQUENCE_OF_Base const& value) override;
    bool visitExtensionRoot(SEQUENCE const& seq, int index) override;
    bool visitKnownExtension(SEQUENCE const& seq, int index) override;
};

class StrictlyValidChecker : public ConstVisitor {
protected:
    bool do_visit(Null const& value) override;
    bool do_visit(BOOLEAN const& value) override;
    bool do_visit(INTEGER const& value) override;
    bool do_visit(ENUMERATED const& value) override;
    bool do_visit(OBJECT_IDENTIFIER const& value) override;
    bool do_visit(BIT_STRING const& value) override;
    bool do_visit(OCTET_STRING const& value) override;
    bool do_visit(AbstractString const& value) override;
    bool do_visit(BMPString const& value) override;
    bool do_visit(CHOICE const& value) override;
    bool do_visit(OpenData const& value) override;
    bool do_visit(GeneralizedTime const& value) override;
    bool do_visit(SEQUENCE_OF_Base const& value) override;
    bool visitExtensionRoot(SEQUENCE const& seq, int index) override;
    bool visitKnownExtension(SEQUENCE const& seq, int index) override;
};

class InvalidTracer : public ConstVisitor {
public:
    InvalidTracer() : strm(std::ios::in | std::ios::out) {}

    // The path and message collected so far; empty while nothing failed.
    std::string explanation() const { return strm.str(); }

protected:
    bool do_visit(Null const& value) override;
    bool do_visit(BOOLEAN const& value) override;
    bool do_visit(INTEGER const& value) override;
    bool do_visit(ENUMERATED const& value) override;
    bool do_visit(OBJECT_IDENTIFIER const& value) override;
    bool do_visit(BIT_STRING const& value) override;
    bool do_visit(OCTET_STRING const& value) override;
    bool do_visit(AbstractString const& value) override;
    bool do_visit(BMPString const& value) override;
    bool do_visit(CHOICE const& value) override;
    bool do_visit(OpenData const& value) override;
    bool do_visit(GeneralizedTime const& value) override;
    bool do_visit(SEQUENCE_OF_Base const& value) override;
    bool visitExtensionRoot(SEQUENCE const& seq, int index) override;
    bool visitKnownExtension(SEQUENCE const& seq, int index) override;

private:
    // Checks a component with a tracer of its own; on failure writes the
    // step of the path and the component's explanation after it.
    bool traceComponent(AbstractData const* component, std::string const& step);
    // The size message of a string or list whose size is out of its bounds;
    // the upper bound is reported for a fixed size range only.
    bool checkSize(ConstrainedObject const& value, unsigned size, char const* kindName);

    std::stringstream strm;
};

// True when the value meets its constraints, and then nothing is written;
// otherwise writes the prefix, the explanation of the first violation and a
// line end, and returns false.
bool trace_invalid(std::ostream& os, char const* prefix, AbstractData const& value);

} // namespace ASN1
