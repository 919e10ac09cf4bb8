#pragma once
// ASN.1 OBJECT IDENTIFIER: its arcs, and their X.690 contents octets.
#include "protocol/asn1/value/AbstractData.h"

#include <vector>

namespace ASN1 {

class OBJECT_IDENTIFIER : public AbstractData {
public:
    typedef AbstractData::InfoType InfoType;
    static InfoType const theInfo;

    explicit OBJECT_IDENTIFIER(InfoType const* info = &theInfo) : AbstractData(info) {}

    std::vector<unsigned>& arcs() { return arcs_; }
    std::vector<unsigned> const& arcs() const { return arcs_; }
    unsigned levels() const { return static_cast<unsigned>(arcs_.size()); }

    // The contents octets: the first two arcs as 40 * first + second, then
    // each number in base 128, high bit set on all but its last octet. An
    // identifier with fewer than two arcs has none.
    void encodeCommon(std::vector<char>& octets) const;
    // Fails on a number cut short by the end or too large for 32 bits.
    bool decodeCommon(char const* octets, unsigned length);

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    std::vector<unsigned> arcs_;
};

} // namespace ASN1
