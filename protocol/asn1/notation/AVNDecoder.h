#pragma once
// The value-notation reader: fills a value of a known type from ASN.1 value
// notation text, following the type through the text. It reads everything
// the printer writes (placeholders aside): every field of a SEQUENCE in
// order, each mandatory one required; OPTIONAL fields the text leaves out
// become absent. Field and alternative identifiers are words (runs up to
// white space), so "alt:" is no identifier and a comma may stand before the
// closing brace of a SEQUENCE when a blank separates them. Nesting deeper
// than the limit and lists, strings and identifiers longer than a decode
// accepts (Limits.h) fail. One reader serves one read; on failure the value
// keeps what was read so far.
#include "protocol/asn1/value/Visitor.h"

#include <istream>
#include <string>
#include <vector>

namespace ASN1 {

class AVNDecoder : public Visitor {
public:
    explicit AVNDecoder(std::istream& is) : strm_(&is) {}

    bool read(AbstractData& value);

private:
    bool do_visit(Null& value) override;
    bool do_visit(BOOLEAN& value) override;
    bool do_visit(INTEGER& value) override;
    bool do_visit(IntegerWithNamedNumber& value) override;
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

    VisitSeqResult preVisitExtensionRoots(SEQUENCE& seq) override;
    VisitSeqResult visitExtensionRoot(SEQUENCE& seq, int index, int optionNumber) override;
    VisitSeqResult visitKnownExtension(SEQUENCE& seq, int index, int optionNumber) override;
    VisitSeqResult visitUnknownExtensions(SEQUENCE& seq) override;

    VisitSeqResult readField(SEQUENCE& seq, int index, int optionNumber);
    bool readQuadruples(BMPString& value);

    std::istream* strm_;
    // Per SEQUENCE being read: the identifier read last and not yet
    // matched, or "}" once its closing brace has been read.
    std::vector<std::string> identifiers_;
    int depth_ = 0;
};

} // namespace ASN1
