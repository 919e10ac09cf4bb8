#include "protocol/asn1/value/Integer.h"

#include "protocol/asn1/value/Visitor.h"

#include <algorithm>

namespace ASN1 {

INTEGER::InfoType const INTEGER::theInfo = {{&createAs<INTEGER>, 2}, Unconstrained, 0, 4294967295u};

int INTEGER::do_compare(AbstractData const& other) const
{
    INTEGER const* peer = peerOf<INTEGER>(other);
    if (!peer)
        return compareUnrelated(other);
    if (isUnsignedRange())
        return compareValues(static_cast<unsigned>(value_), static_cast<unsigned>(peer->value_));
    return compareValues(value_, peer->value_);
}

AbstractData* INTEGER::do_clone() const { return cloneThroughRecord(*this); }
bool INTEGER::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool INTEGER::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

bool IntegerWithNamedNumber::getName(std::string& name) const
{
    NameEntry const* first = info()->nameEntries;
    NameEntry const* last = first + info()->entryCount;
    int value = getValue();
    NameEntry const* found = std::lower_bound(first, last, value,
        [](NameEntry const& entry, int v) { return entry.value < v; });
    if (found == last || found->value != value)
        return false;
    name = found->name;
    return true;
}

bool IntegerWithNamedNumber::setFromName(std::string const& name)
{
    for (unsigned i = 0; i < info()->entryCount; ++i) {
        if (name == info()->nameEntries[i].name) {
            setValue(info()->nameEntries[i].value);
            return true;
        }
    }
    return false;
}

AbstractData* IntegerWithNamedNumber::do_clone() const { return cloneThroughRecord(*this); }
bool IntegerWithNamedNumber::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool IntegerWithNamedNumber::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
