#include "protocol/asn1/ber/BERTags.h"

#include "protocol/asn1/value/Limits.h"

#include <algorithm>

namespace ASN1 {

namespace BER {

unsigned fieldTag(SEQUENCE::InfoType const& info, unsigned index)
{
    if (info.tags == nullptr)
        return contextTag + index;
    if (info.tags == SEQUENCE::defaultTag)
        return info.fieldInfos && info.fieldInfos[index] ? info.fieldInfos[index]->tag : 0;
    return info.tags[index];
}

unsigned alternativeTag(CHOICE::InfoType const& info, unsigned index)
{
    if (info.tags != nullptr && index < info.numChoices)
        return info.tags[index];
    return contextTag + index;
}

} // namespace BER

bool CHOICE::setID(unsigned tagNumber, unsigned tagClass)
{
    return setID(tagNumber, tagClass, 0);
}

bool CHOICE::setID(unsigned tagNumber, unsigned tagClass, int depth)
{
    InfoType const& record = *info();
    unsigned const tag = BER::makeTag(tagClass, tagNumber);
    if (record.tags) {
        unsigned const* end = record.tags + record.numChoices;
        unsigned const* found = std::lower_bound(record.tags, end, tag);
        if (found != end && *found == tag)
            return select(static_cast<int>(found - record.tags));
    }
    // Without a table every alternative is [index]; with one, the extension
    // alternatives, which it does not list, are.
    unsigned const firstByIndex = record.tags ? record.numChoices : 0;
    if (tagClass == BER::tagClass(BER::contextTag) && tagNumber >= firstByIndex && tagNumber < record.totalChoices)
        return select(static_cast<int>(tagNumber));
    // A recursive schema must not recurse without end.
    if (depth >= MaximumNestingDepth || record.numChoices == 0 || !record.selectionInfos
        || !record.selectionInfos[0] || record.selectionInfos[0]->tag != 0 || !select(0))
        return false;
    CHOICE* inner = dynamic_cast<CHOICE*>(value_);
    if (!inner)
        return false;
    if (!inner->setID(tagNumber, tagClass, depth + 1))
        setSelection(unknownSelection, nullptr);
    return true;
}

} // namespace ASN1
