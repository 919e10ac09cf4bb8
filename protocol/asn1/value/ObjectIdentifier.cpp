#include "protocol/asn1/value/ObjectIdentifier.h"

#include "protocol/asn1/value/Visitor.h"

#include <algorithm>

namespace ASN1 {

OBJECT_IDENTIFIER::InfoType const OBJECT_IDENTIFIER::theInfo = {&createAs<OBJECT_IDENTIFIER>, 6};

namespace {

void appendBase128(std::vector<char>& octets, unsigned number)
{
    char groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<char>(number & 0x7F);
        number >>= 7;
    } while (number);
    while (count > 1)
        octets.push_back(static_cast<char>(groups[--count] | 0x80));
    octets.push_back(groups[0]);
}

} // namespace

void OBJECT_IDENTIFIER::encodeCommon(std::vector<char>& octets) const
{
    octets.clear();
    if (arcs_.size() < 2)
        return;
    appendBase128(octets, arcs_[0] * 40 + arcs_[1]);
    for (std::size_t i = 2; i < arcs_.size(); ++i)
        appendBase128(octets, arcs_[i]);
}

bool OBJECT_IDENTIFIER::decodeCommon(char const* octets, unsigned length)
{
    arcs_.clear();
    unsigned i = 0;
    while (i < length) {
        unsigned number = 0;
        unsigned char octet;
        do {
            if (i == length || number > (0xFFFFFFFFu >> 7))
                return false;
            octet = static_cast<unsigned char>(octets[i++]);
            number = (number << 7) | (octet & 0x7F);
        } while (octet & 0x80);
        if (arcs_.empty()) {
            unsigned first = number > 79 ? 2 : number > 39 ? 1 : 0;
            arcs_.push_back(first);
            arcs_.push_back(number - 40 * first);
        } else {
            arcs_.push_back(number);
        }
    }
    return true;
}

int OBJECT_IDENTIFIER::do_compare(AbstractData const& other) const
{
    OBJECT_IDENTIFIER const* peer = peerOf<OBJECT_IDENTIFIER>(other);
    if (!peer)
        return compareUnrelated(other);
    std::size_t n = std::min(arcs_.size(), peer->arcs_.size());
    for (std::size_t i = 0; i < n; ++i)
        if (arcs_[i] != peer->arcs_[i])
            return compareValues(arcs_[i], peer->arcs_[i]);
    return compareValues(arcs_.size(), peer->arcs_.size());
}

AbstractData* OBJECT_IDENTIFIER::do_clone() const { return cloneThroughRecord(*this); }
bool OBJECT_IDENTIFIER::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool OBJECT_IDENTIFIER::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
