#include "protocol/asn1/value/Enumerated.h"

#include "protocol/asn1/value/Visitor.h"

#include <cstdlib>

namespace ASN1 {

namespace {

// Calls found(identifier, number) for each item of a name list until it
// returns true; returns whether it did.
template <class Found>
bool findItem(char const* const* names, Found found)
{
    int number = 0;
    for (; names && *names; ++names, ++number) {
        std::string_view entry(*names);
        std::string_view::size_type equals = entry.find('=');
        if (equals != std::string_view::npos) {
            number = static_cast<int>(std::strtol(*names + equals + 1, nullptr, 10));
            entry = entry.substr(0, equals);
        }
        if (found(entry, number))
            return true;
    }
    return false;
}

} // namespace

std::string_view ENUMERATED::getName() const
{
    std::string_view name;
    if (value_ < 0 || value_ > getMaximum())
        return name;
    findItem(info()->names, [&](std::string_view identifier, int number) {
        if (number != value_)
            return false;
        name = identifier;
        return true;
    });
    return name;
}

bool ENUMERATED::setFromName(std::string_view name)
{
    return findItem(info()->names, [&](std::string_view identifier, int number) {
        if (identifier != name)
            return false;
        value_ = number;
        return true;
    });
}

int ENUMERATED::do_compare(AbstractData const& other) const
{
    ENUMERATED const* peer = peerOf<ENUMERATED>(other);
    return peer ? compareValues(value_, peer->value_) : compareUnrelated(other);
}

AbstractData* ENUMERATED::do_clone() const { return cloneThroughRecord(*this); }
bool ENUMERATED::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool ENUMERATED::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
