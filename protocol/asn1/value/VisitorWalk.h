#pragma once
// The SEQUENCE drivers of Visitor and ConstVisitor as templates over the
// class whose hooks they call. Over the base classes the hooks are called
// virtually; over a final visitor class (the PER coders) the compiler calls
// them directly and can inline them, which saves an indirect call per field
// of every SEQUENCE.
#include "protocol/asn1/value/Sequence.h"
#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

template <class Hooks>
bool Visitor::walkSequence(Hooks& hooks, SEQUENCE& seq)
{
    VisitSeqResult first = hooks.preVisitExtensionRoots(seq);
    if (first == FAIL || first == STOP)
        return first == STOP;
    SEQUENCE::InfoType const* record = seq.info();
    int lastOptional = -1;
    for (unsigned i = 0; i < record->numFields; ++i) {
        int optionNumber = record->ids ? record->ids[i] : -1;
        VisitSeqResult r = hooks.visitExtensionRoot(seq, static_cast<int>(i), optionNumber);
        if (r == FAIL || r == STOP)
            return r == STOP;
        if (optionNumber != -1)
            lastOptional = optionNumber;
    }
    if (first == NO_EXTENSION)
        return true;
    VisitSeqResult r = hooks.preVisitExtensions(seq);
    if (r != CONTINUE)
        return r != FAIL;
    for (unsigned i = record->numFields; i < seq.fieldCount(); ++i) {
        r = hooks.visitKnownExtension(seq, static_cast<int>(i), ++lastOptional);
        if (r != CONTINUE)
            return r != FAIL;
    }
    return hooks.visitUnknownExtensions(seq) != FAIL;
}

template <class Hooks>
bool ConstVisitor::walkSequence(Hooks& hooks, SEQUENCE const& seq)
{
    if (!hooks.preVisitExtensionRoots(seq))
        return false;
    // The record is read into locals once: the hooks write octets through
    // char pointers, after which the compiler would read it again per field.
    SEQUENCE::InfoType const* record = seq.info();
    int const* const ids = record->ids;
    unsigned const numFields = record->numFields;
    int lastOptional = -1;
    for (unsigned i = 0; i < numFields; ++i) {
        int const optionNumber = ids ? ids[i] : -1;
        if (optionNumber != -1) {
            lastOptional = optionNumber;
            if (!seq.hasOptionalField(static_cast<unsigned>(optionNumber)))
                continue;
        }
        if (!hooks.visitExtensionRoot(seq, static_cast<int>(i)))
            return false;
    }
    if (seq.extensionMap().size() == 0)
        return hooks.afterVisitSequence(seq);
    if (!hooks.preVisitExtensions(seq))
        return false;
    for (unsigned i = numFields; i < seq.fieldCount(); ++i) {
        if (seq.hasOptionalField(static_cast<unsigned>(++lastOptional)) && !hooks.visitKnownExtension(seq, static_cast<int>(i)))
            return false;
    }
    return hooks.afterVisitSequence(seq);
}

} // namespace ASN1
