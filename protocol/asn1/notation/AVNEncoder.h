#pragma once
// The value-notation printer: writes any value as ASN.1 value notation over
// several lines with a fixed indentation, for logs and for the text coding
// rule. Scalars print on one line; SEQUENCE, SEQUENCE OF and SET OF break
// lines. A part that has no text (a CHOICE without a known selection, an
// empty open type, a missing field, nesting deeper than the limit) prints
// as a placeholder in angle brackets, so one bad value never fails a shared
// log stream; complete() then says the text is not a faithful encoding.
// One printer serves one print.
#include "protocol/asn1/value/Visitor.h"

#include <ostream>
#include <string_view>
#include <vector>

namespace ASN1 {

class AVNEncoder : public ConstVisitor {
public:
    explicit AVNEncoder(std::ostream& os) : strm_(&os) {}

    // Prints value at the current indentation; false when the stream failed.
    bool print(AbstractData const& value);
    bool complete() const { return complete_; }

private:
    bool do_visit(Null const& value) override;
    bool do_visit(BOOLEAN const& value) override;
    bool do_visit(INTEGER const& value) override;
    bool do_visit(IntegerWithNamedNumber const& value) override;
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
    bool preVisitExtensionRoots(SEQUENCE const& seq) override;
    bool visitExtensionRoot(SEQUENCE const& seq, int index) override;
    bool visitKnownExtension(SEQUENCE const& seq, int index) override;
    bool afterVisitSequence(SEQUENCE const& seq) override;

    bool write(std::string_view text);
    bool writeBlanks(int count);
    bool placeholder(std::string_view text);
    bool printField(SEQUENCE const& seq, int index);

    std::ostream* strm_;
    int indent_ = 0;
    std::vector<bool> outerFieldPrinted_; // per open SEQUENCE: a field was printed
    int depth_ = 0;
    bool complete_ = true;
};

} // namespace ASN1
