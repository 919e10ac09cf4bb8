#pragma once
// The two visitor bases through which every coder, printer and checker walks
// a value tree. Each value class accepts a visitor by calling visit() with
// itself; a SEQUENCE is walked by the fixed drivers visit(SEQUENCE&) and
// visit(SEQUENCE const&), which call the visitor's SEQUENCE hooks field by
// field. Visitor is for the visitors that fill a value (decoders),
// ConstVisitor for those that only read one (encoders, printers, checkers).
namespace ASN1 {

class AbstractData;
class Null;
class BOOLEAN;
class INTEGER;
class IntegerWithNamedNumber;
class ENUMERATED;
class OBJECT_IDENTIFIER;
class BIT_STRING;
class OCTET_STRING;
class AbstractString;
class BMPString;
class GeneralizedTime;
class CHOICE;
class SEQUENCE;
class SEQUENCE_OF_Base;
class OpenData;
class TypeConstrainedOpenData;

class Visitor {
public:
    // Results of the SEQUENCE hooks.
    enum VisitSeqResult {
        FAIL = 0,         // the visit ends and fails
        STOP = 1,         // the rest of the SEQUENCE is skipped; success
        NO_EXTENSION = 2, // root fields only
        CONTINUE = 3,     // extension additions included
    };

    virtual ~Visitor() = default;

    bool visit(Null& value) { return do_visit(value); }
    bool visit(BOOLEAN& value) { return do_visit(value); }
    bool visit(INTEGER& value) { return do_visit(value); }
    bool visit(IntegerWithNamedNumber& value) { return do_visit(value); }
    bool visit(ENUMERATED& value) { return do_visit(value); }
    bool visit(OBJECT_IDENTIFIER& value) { return do_visit(value); }
    bool visit(OCTET_STRING& value) { return do_visit(value); }
    bool visit(BIT_STRING& value) { return do_visit(value); }
    bool visit(AbstractString& value) { return do_visit(value); }
    bool visit(BMPString& value) { return do_visit(value); }
    bool visit(CHOICE& value) { return do_visit(value); }
    bool visit(SEQUENCE_OF_Base& value) { return do_visit(value); }
    bool visit(OpenData& value) { return do_visit(value); }
    bool revisit(OpenData& value) { return do_revisit(value); }
    bool visit(TypeConstrainedOpenData& value) { return do_visit(value); }
    bool visit(GeneralizedTime& value) { return do_visit(value); }
    // The SEQUENCE driver: preVisitExtensionRoots, each root field, and,
    // unless the first hook said root only, preVisitExtensions, each known
    // extension addition and visitUnknownExtensions.
    bool visit(SEQUENCE& seq) { return do_visit(seq); }

protected:
    virtual bool do_visit(Null& value) = 0;
    virtual bool do_visit(BOOLEAN& value) = 0;
    virtual bool do_visit(INTEGER& value) = 0;
    virtual bool do_visit(IntegerWithNamedNumber& value); // as INTEGER
    virtual bool do_visit(ENUMERATED& value) = 0;
    virtual bool do_visit(OBJECT_IDENTIFIER& value) = 0;
    virtual bool do_visit(OCTET_STRING& value) = 0;
    virtual bool do_visit(BIT_STRING& value) = 0;
    virtual bool do_visit(AbstractString& value) = 0;
    virtual bool do_visit(BMPString& value) = 0;
    virtual bool do_visit(CHOICE& value) = 0;
    virtual bool do_visit(SEQUENCE_OF_Base& value) = 0;
    virtual bool do_visit(OpenData& value) = 0;
    virtual bool do_revisit(OpenData& value) = 0;
    virtual bool do_visit(TypeConstrainedOpenData& value) = 0;
    virtual bool do_visit(GeneralizedTime& value) = 0;

    // The driver itself: walkSequence(*this, seq). A visitor class that is
    // final overrides it with walkSequence(*this, seq) too, so that the
    // hooks, called through the final class, need no virtual dispatch.
    virtual bool do_visit(SEQUENCE& seq);
    template <class Hooks>
    static bool walkSequence(Hooks& hooks, SEQUENCE& seq); // VisitorWalk.h

    // optionNumber is -1 for a mandatory field.
    virtual VisitSeqResult preVisitExtensionRoots(SEQUENCE& seq);                              // CONTINUE
    virtual VisitSeqResult visitExtensionRoot(SEQUENCE& seq, int index, int optionNumber);    // FAIL
    virtual VisitSeqResult preVisitExtensions(SEQUENCE& seq);                                 // CONTINUE
    virtual VisitSeqResult visitKnownExtension(SEQUENCE& seq, int index, int optionNumber);   // FAIL
    virtual VisitSeqResult visitUnknownExtensions(SEQUENCE& seq);                             // STOP
};

class ConstVisitor {
public:
    virtual ~ConstVisitor() = default;

    bool visit(Null const& value) { return do_visit(value); }
    bool visit(BOOLEAN const& value) { return do_visit(value); }
    bool visit(INTEGER const& value) { return do_visit(value); }
    bool visit(IntegerWithNamedNumber const& value) { return do_visit(value); }
    bool visit(ENUMERATED const& value) { return do_visit(value); }
    bool visit(OBJECT_IDENTIFIER const& value) { return do_visit(value); }
    bool visit(BIT_STRING const& value) { return do_visit(value); }
    bool visit(OCTET_STRING const& value) { return do_visit(value); }
    bool visit(AbstractString const& value) { return do_visit(value); }
    bool visit(BMPString const& value) { return do_visit(value); }
    bool visit(CHOICE const& value) { return do_visit(value); }
    bool visit(OpenData const& value) { return do_visit(value); }
    bool visit(GeneralizedTime const& value) { return do_visit(value); }
    bool visit(SEQUENCE_OF_Base const& value) { return do_visit(value); }
    // The SEQUENCE driver: preVisitExtensionRoots, each present root field,
    // and, when the value has extension bits, preVisitExtensions and each
    // present known addition; then afterVisitSequence.
    bool visit(SEQUENCE const& seq) { return do_visit(seq); }

protected:
    // The catch-all that every other operation passes its value to by default.
    virtual bool do_visit(AbstractData const& value);                 // true
    virtual bool do_visit(Null const& value);
    virtual bool do_visit(BOOLEAN const& value);
    virtual bool do_visit(INTEGER const& value);
    virtual bool do_visit(IntegerWithNamedNumber const& value);       // as INTEGER
    virtual bool do_visit(ENUMERATED const& value);
    virtual bool do_visit(OBJECT_IDENTIFIER const& value);
    virtual bool do_visit(BIT_STRING const& value);
    virtual bool do_visit(OCTET_STRING const& value);
    virtual bool do_visit(AbstractString const& value);
    virtual bool do_visit(BMPString const& value);
    virtual bool do_visit(CHOICE const& value);
    virtual bool do_visit(OpenData const& value);
    virtual bool do_visit(GeneralizedTime const& value);
    virtual bool do_visit(SEQUENCE_OF_Base const& value);

    // The driver itself, as Visitor's (see there).
    virtual bool do_visit(SEQUENCE const& seq);
    template <class Hooks>
    static bool walkSequence(Hooks& hooks, SEQUENCE const& seq); // VisitorWalk.h

    virtual bool preVisitExtensionRoots(SEQUENCE const& seq);        // the catch-all
    virtual bool visitExtensionRoot(SEQUENCE const& seq, int index); // false
    virtual bool preVisitExtensions(SEQUENCE const& seq);            // true
    virtual bool visitKnownExtension(SEQUENCE const& seq, int index); // false
    virtual bool afterVisitSequence(SEQUENCE const& seq);            // true
};

} // namespace ASN1
