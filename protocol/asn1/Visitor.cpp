#include "protocol/asn1/Visitor.h"

#include "protocol/asn1/ASN1.h"

namespace ASN1 {

bool Visitor::do_visit(IntegerWithNamedNumber& value) { return do_visit(static_cast<INTEGER&>(value)); }

Visitor::VisitSeqResult Visitor::preVisitExtensionRoots(SEQUENCE&) { return CONTINUE; }
Visitor::VisitSeqResult Visitor::visitExtensionRoot(SEQUENCE&, int, int) { return FAIL; }
Visitor::VisitSeqResult Visitor::preVisitExtensions(SEQUENCE&) { return CONTINUE; }
Visitor::VisitSeqResult Visitor::visitKnownExtension(SEQUENCE&, int, int) { return FAIL; }
Visitor::VisitSeqResult Visitor::visitUnknownExtensions(SEQUENCE&) { return STOP; }

bool Visitor::visit(SEQUENCE& seq)
{
    VisitSeqResult first = preVisitExtensionRoots(seq);
    if (first == FAIL || first == STOP)
        return first == STOP;
    SEQUENCE::InfoType const* record = seq.info();
    int lastOptional = -1;
    for (unsigned i = 0; i < record->numFields; ++i) {
        int optionNumber = record->ids ? record->ids[i] : -1;
        VisitSeqResult r = visitExtensionRoot(seq, static_cast<int>(i), optionNumber);
        if (r == FAIL || r == STOP)
            return r == STOP;
        if (optionNumber != -1)
            lastOptional = optionNumber;
    }
    if (first == NO_EXTENSION)
        return true;
    VisitSeqResult r = preVisitExtensions(seq);
    if (r != CONTINUE)
        return r != FAIL;
    for (unsigned i = record->numFields; i < seq.fieldCount(); ++i) {
        r = visitKnownExtension(seq, static_cast<int>(i), ++lastOptional);
        if (r != CONTINUE)
            return r != FAIL;
    }
    return visitUnknownExtensions(seq) != FAIL;
}

bool ConstVisitor::do_visit(AbstractData const&) { return true; }
bool ConstVisitor::do_visit(Null const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(BOOLEAN const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(INTEGER const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(IntegerWithNamedNumber const& value) { return do_visit(static_cast<INTEGER const&>(value)); }
bool ConstVisitor::do_visit(ENUMERATED const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(OBJECT_IDENTIFIER const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(BIT_STRING const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(OCTET_STRING const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(AbstractString const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(BMPString const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(CHOICE const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(OpenData const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(GeneralizedTime const& value) { return do_visit(static_cast<AbstractData const&>(value)); }
bool ConstVisitor::do_visit(SEQUENCE_OF_Base const& value) { return do_visit(static_cast<AbstractData const&>(value)); }

bool ConstVisitor::preVisitExtensionRoots(SEQUENCE const& seq) { return do_visit(static_cast<AbstractData const&>(seq)); }
bool ConstVisitor::visitExtensionRoot(SEQUENCE const&, int) { return false; }
bool ConstVisitor::preVisitExtensions(SEQUENCE const&) { return true; }
bool ConstVisitor::visitKnownExtension(SEQUENCE const&, int) { return false; }
bool ConstVisitor::afterVisitSequence(SEQUENCE const&) { return true; }

bool ConstVisitor::visit(SEQUENCE const& seq)
{
    if (!preVisitExtensionRoots(seq))
        return false;
    SEQUENCE::InfoType const* record = seq.info();
    int lastOptional = -1;
    for (unsigned i = 0; i < record->numFields; ++i) {
        int optionNumber = record->ids ? record->ids[i] : -1;
        if (optionNumber == -1 || seq.hasOptionalField(static_cast<unsigned>(optionNumber))) {
            if (!visitExtensionRoot(seq, static_cast<int>(i)))
                return false;
        }
        if (optionNumber != -1)
            lastOptional = optionNumber;
    }
    if (seq.extensionMap().size() == 0)
        return afterVisitSequence(seq);
    if (!preVisitExtensions(seq))
        return false;
    for (unsigned i = record->numFields; i < seq.fieldCount(); ++i) {
        if (seq.hasOptionalField(static_cast<unsigned>(++lastOptional)) && !visitKnownExtension(seq, static_cast<int>(i)))
            return false;
    }
    return afterVisitSequence(seq);
}

} // namespace ASN1
