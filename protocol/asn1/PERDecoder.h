#ifndef PROTOCOL_ASN1_PERDECODER_H
#define PROTOCOL_ASN1_PERDECODER_H

#include "protocol/asn1/PERBitReader.h"
#include "protocol/asn1/Visitor.h"

namespace ASN1 {

class CoderEnv;

// The largest element count of a SEQUENCE OF or SET OF, and the largest
// count of extension-addition bits of one SEQUENCE, that a decode accepts.
extern int MaximumArraySize;
// The largest length of an OCTET STRING (octets), BIT STRING (bits),
// character string or BMPString (characters) that a decode accepts.
extern int MaximumStringSize;
// The deepest nesting of components a decode accepts; it bounds the stack
// that a recursive type can make a received frame use.
extern int MaximumNestingDepth;

// Fills a value tree from its PER encoding (ALIGNED or UNALIGNED), creating
// components through their type-information records; what it creates
// belongs to the tree. It never reads outside the input it is given, and
// every open type is read inside its own window, so a component cannot run
// past its open type. A decoder lives for one decode and does not own the
// input; the environment is only passed on to the deferred decode of an
// open type's raw octets.
class PERDecoder : public Visitor, public PERBitReader {
public:
    PERDecoder(CoderEnv* env, char const* first, char const* last, bool aligned);

    // Decodes [first, last) into `value`; octets after the value are ignored.
    static bool decode(CoderEnv* env, char const* first, char const* last, AbstractData& value, bool aligned);

    using PERBitReader::decodeConstrainedLength;
    int decodeConstrainedLength(ConstrainedObject const& object, unsigned& out);

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

    int preVisitExtensionRoots(SEQUENCE& value) override;
    int visitExtensionRoot(SEQUENCE& value, int index, int optionNumber) override;
    int preVisitExtensions(SEQUENCE& value) override;
    int visitKnownExtension(SEQUENCE& value, int index, int optionNumber) override;
    int visitUnknownExtensions(SEQUENCE& value) override;

private:
    // Decodes a component one nesting level down.
    bool decodeComponent(AbstractData& component);
    // Reads an open type's length and opens its window.
    bool openOpenType(Window& window);
    bool decodeChoicePreamble(CHOICE& value, bool& extension);

    CoderEnv* env_;
    int depth_;
};

} // namespace ASN1

#endif
