#include "protocol/asn1/value/Visitor.h"

#include "protocol/asn1/value/Values.h"
#include "protocol/asn1/value/VisitorWalk.h"

namespace ASN1 {

bool Visitor::do_visit(IntegerWithNamedNumber& value) { return do_visit(static_cast<INTEGER&>(value)); }

Visitor::VisitSeqResult Visitor::preVisitExtensionRoots(SEQUENCE&) { return CONTINUE; }
Visitor::VisitSeqResult Visitor::visitExtensionRoot(SEQUENCE&, int, int) { return FAIL; }
Visitor::VisitSeqResult Visitor::preVisitExtensions(SEQUENCE&) { return CONTINUE; }
Visitor::VisitSeqResult Visitor::visitKnownExtension(SEQUENCE&, int, int) { return FAIL; }
Visitor::VisitSeqResult Visitor::visitUnknownExtensions(SEQUENCE&) { return STOP; }

bool Visitor::do_visit(SEQUENCE& seq) { return walkSequence(*this, seq); }

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

bool ConstVisitor::do_visit(SEQUENCE const& seq) { return walkSequence(*this, seq); }

} // namespace ASN1
