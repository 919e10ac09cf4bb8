#pragma once

#include "protocol/asn1/per/PERBitReader.h"
#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

class CoderEnv;
class ConstrainedObject;

// Fills a value tree from its PER encoding (ALIGNED or UNALIGNED), creating
// components through their type-information records; what it creates
// belongs to the tree. It never reads outside the input it is given, and
// every open type is read inside its own window, so a component cannot run
// past its open type. The limits of Limits.h bound what one frame can make
// it allocate and how deep it can make it recurse. A decoder lives for one decode and does not own the
// input; the environment is only passed on to the deferred decode of an
// open type's raw octets.
class PERDecoder final : public Visitor, public PERBitReader {
public:
    PERDecoder(CoderEnv* env, char const* first, char const* last, bool aligned);

    // Decodes [first, last) into `value`; octets after the value are ignored.
    static bool decode(CoderEnv* env, char const* first, char const* last, AbstractData& value, bool aligned);

    using PERBitReader::decodeConstrainedLength;
    int decodeConstrainedLength(ConstrainedObject const& object, unsigned& out);

protected:
    // The SEQUENCE driver over this class's hooks (see VisitorWalk.h).
    friend class Visitor;
    bool do_visit(SEQUENCE& value) override;
    bool do_visit(Null& value) override;
    bool do_visit(BOOLEAN& value) override;
    bool do_visit(INTEGER& value) override;
    bool do_visit(ENUMERATED& value) override;
    bool do_visit(OBJECT_IDENTIFIER& value) override;
    bool do_visit(OCTET_STRING& value) override;
    bool do_visit(BIT_STRING& value) override;
    bool do_visit(AbstractString& value) override;
    bool do_visit(BMPString& value) override;
    bool do_visit(CHOICE& value) override;
    bool do_visit(SEQUENCE_OF_Base& value) override;
    bool do_visit(OpenData& value) override;
    bool do_revisit(OpenData& value) override;
    bool do_visit(TypeConstrainedOpenData& value) override;
    bool do_visit(GeneralizedTime& value) override;

    VisitSeqResult preVisitExtensionRoots(SEQUENCE& value) override;
    // Inlined into the SEQUENCE driver: it runs once per field.
    [[gnu::always_inline]] inline VisitSeqResult visitExtensionRoot(SEQUENCE& value, int index, int optionNumber) override;
    VisitSeqResult preVisitExtensions(SEQUENCE& value) override;
    VisitSeqResult visitKnownExtension(SEQUENCE& value, int index, int optionNumber) override;
    VisitSeqResult visitUnknownExtensions(SEQUENCE& value) override;

private:
    // Decodes a component one nesting level down.
    bool decodeComponent(AbstractData& component);
    // Reads an open type's length and opens its window.
    bool openOpenType(Window& window);
    // Reads the extension bit and the index and selects the alternative;
    // `extension` tells whether an open type follows.
    bool decodeChoicePreamle(CHOICE& value, bool& extension);

    CoderEnv* env_;
    int depth_;
};

} // namespace ASN1
