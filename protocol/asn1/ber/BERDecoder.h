#pragma once
// Fills a value tree from its BER encoding (definite lengths only),
// creating components through their type-information records; what it
// creates belongs to the tree. Every length is checked against what is left
// of the innermost constructed value being read, so no component can run
// past its SEQUENCE, SEQUENCE OF, CHOICE wrapper or the input. The limits
// of Limits.h bound what one input can make it allocate and how deep it can
// make it recurse. Constructed and primitive forms are not told apart, and
// contents in the indefinite form are refused. A decoder lives for one
// decode and does not own the input; the environment is only passed on to
// the later decode of an open type's octets.
#include "protocol/asn1/value/Visitor.h"

#include <vector>

namespace ASN1 {

class CoderEnv;

class BERDecoder : public Visitor {
public:
    BERDecoder(CoderEnv* env, char const* first, char const* last);

    // Decodes [first, last) into `value`; octets after the value are ignored.
    static bool decode(CoderEnv* env, char const* first, char const* last, AbstractData& value);

    // Reads an identifier and a length; the contents must be there. On
    // failure the position stays where it was.
    bool decodeHeader(unsigned& tag, bool& primitive, unsigned& length);
    // The same, and the tag must be the value's type's, unless the check
    // is to be skipped for this header (then the caller has checked it).
    bool decodeHeader(AbstractData& value, unsigned& length);
    // Copies up to n octets, as many as are left; returns the count.
    unsigned decodeBlock(char* dst, unsigned n);
    // Reads the CHOICE's headers and selects its alternative, leaving the
    // position at the alternative's header and the end of the CHOICE's
    // octets in `end`.
    bool decodeChoicePreamle(CHOICE& value, char const*& end);

protected:
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
    VisitSeqResult visitExtensionRoot(SEQUENCE& value, int index, int optionNumber) override;
    VisitSeqResult visitKnownExtension(SEQUENCE& value, int index, int optionNumber) override;
    VisitSeqResult visitUnknownExtensions(SEQUENCE& value) override;

private:
    // Where the decoder stands: restored when an OPTIONAL untagged field
    // fails and decoding goes on without it.
    struct State {
        char const* position;
        char const* end;
        std::size_t openSequences;
        int skipTagCheck;
    };
    State state() const { return {position_, end_, ends_.size(), skipTagCheck_}; }
    void restore(State const& s);

    bool decodeComponent(AbstractData& component);
    VisitSeqResult decodeField(SEQUENCE& value, unsigned index, int optionNumber);
    // Reads the header of a primitive value with the tag check and passes
    // its contents, at most `limit` octets; the position moves past them.
    bool decodeContents(AbstractData& value, unsigned limit, char const*& contents, unsigned& length);
    bool decodeInteger(AbstractData& value, bool unsignedRange, int& out);
    unsigned left() const { return static_cast<unsigned>(end_ - position_); }

    CoderEnv* env_;
    char const* position_;
    char const* end_; // of the innermost constructed value, or of the input
    std::vector<char const*> ends_; // the enclosing ends of the SEQUENCEs being read
    int skipTagCheck_;
    int depth_;
};

} // namespace ASN1
