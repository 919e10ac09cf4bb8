#pragma once

#include "protocol/asn1/per/PERBitWriter.h"
#include "protocol/asn1/value/Visitor.h"

#include <vector>

namespace ASN1 {

class ConstrainedObject;

// Writes a value tree in PER (ALIGNED or UNALIGNED): exactly what
// PERDecoder reads. It refuses what the peer could not read back: lengths
// above 16383, lists above the decoder's element limit, a CHOICE without a
// valid selection, characters outside the type's range, values outside a
// fixed constraint. The encoder writes into a vector it does not own; the
// entry point `encode` delivers the octets only when the whole value was
// written. Each open type is written by a nested encoder of its own.
class PEREncoder final : public ConstVisitor, public PERBitWriter {
public:
    PEREncoder(std::vector<char>& output, bool aligned);

    // Encodes `value`; on success appends its octets to `out` and returns
    // true, on failure leaves `out` as it was.
    static bool encode(AbstractData const& value, bool aligned, std::vector<char>& out);

    // Writes the extension bit of an extendable constraint; true when the
    // unconstrained form follows.
    bool encodeConstraint(ConstrainedObject const& object, unsigned value);
    bool encodeConstrainedLength(ConstrainedObject const& object, unsigned length);
    // Writes the value (null: nothing) as an open type.
    bool encodeAnyType(AbstractData const* value);

protected:
    // The SEQUENCE driver over this class's hooks (see VisitorWalk.h).
    friend class ConstVisitor;
    bool do_visit(SEQUENCE const& value) override;
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

    bool preVisitExtensionRoots(SEQUENCE const& value) override;
    bool visitExtensionRoot(SEQUENCE const& value, int index) override;
    bool preVisitExtensions(SEQUENCE const& value) override;
    bool visitKnownExtension(SEQUENCE const& value, int index) override;

private:
    bool encodeOpenTypeContents(std::vector<char> const& contents);
};

} // namespace ASN1
