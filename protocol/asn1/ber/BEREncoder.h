#pragma once
// Writes a value tree in BER with definite lengths. Each value is one
// identifier, length and contents triple; a SEQUENCE field and a CHOICE
// alternative are written under their field or alternative tag in place of
// their type's own (implicit tagging), and a CHOICE standing in a tagged
// place is wrapped in a header of that tag. Unlike X.690, the wrapper is
// constructed only when the alternative it holds is: a CHOICE holding an
// INTEGER in field [1] is written 81 03 80 01 05, not A1 03 80 01 05.
//
// Lengths are worked out before the contents are written, by a walk of the
// value (DataLengthCounter), so that the output never has to be moved. The
// encoder writes into a vector it does not own; `encode` delivers the
// octets only when the whole value was written.
#include "protocol/asn1/ber/BERTags.h"
#include "protocol/asn1/value/Visitor.h"

#include <vector>

namespace ASN1 {

class BEREncoder : public ConstVisitor {
public:
    explicit BEREncoder(std::vector<char>& output) : output_(&output), tag_(BER::noTag) {}

    // Encodes `value`; on success appends its octets to `out` and returns
    // true, on failure leaves `out` as it was.
    static bool encode(AbstractData const& value, std::vector<char>& out);

    // Writes the identifier and length octets of `value`, under the tag
    // override when one is set (which it then clears), else its type's tag.
    bool encodeHeader(AbstractData const& value);
    // The tag that the next value is written under; BER::noTag for its own.
    void setTagOverride(unsigned tag) { tag_ = tag; }

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

    bool preVisitExtensionRoots(SEQUENCE const& value) override;
    bool visitExtensionRoot(SEQUENCE const& value, int index) override;
    bool visitKnownExtension(SEQUENCE const& value, int index) override;

private:
    // Writes `value` under `tag` (BER::noTag: its own).
    bool encodeAs(AbstractData const& value, unsigned tag);
    void put(char const* octets, std::size_t count) { output_->insert(output_->end(), octets, octets + count); }

    std::vector<char>* output_;
    unsigned tag_;
};

// The running content length of a value: visiting adds the length of the
// contents octets of the value visited (not its own header). A visit fails
// on a value that cannot be encoded.
class DataLengthCounter : public ConstVisitor {
public:
    DataLengthCounter() : length_(0) {}
    unsigned getLength() const { return length_; }

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

    bool preVisitExtensionRoots(SEQUENCE const& value) override;
    bool visitExtensionRoot(SEQUENCE const& value, int index) override;
    bool visitKnownExtension(SEQUENCE const& value, int index) override;

private:
    bool add(unsigned long long count);

    unsigned length_;
};

// Answers true for a value whose encoding is primitive: every kind but
// SEQUENCE, SEQUENCE OF and SET OF; a CHOICE or open type answers as the
// value it holds (an open type holding only octets is constructed).
class PrimitiveChecker : public ConstVisitor {
protected:
    bool do_visit(CHOICE const& value) override;
    bool do_visit(OpenData const& value) override;
    bool do_visit(SEQUENCE_OF_Base const& value) override;
    bool preVisitExtensionRoots(SEQUENCE const& value) override;
};

// Whether the BER coder writes the INTEGER as an unsigned number, from 2^31
// up in five octets: a fixed range from 0 up.
bool holdsUnsignedNumbers(INTEGER const& value);
// The octet count (1..4) of the shortest two's-complement form of value.
unsigned getIntegerDataLength(int value);
// The content length of a value (0 when it cannot be encoded).
unsigned getDataLength(AbstractData const& value);
// The length of the complete encoding of a value written under `tag`
// (BER::noTag: its own), header included (0 when it cannot be encoded).
unsigned getObjectLength(AbstractData const& value, unsigned tag);

} // namespace ASN1
