#pragma once
// ASN.1 BIT STRING: a bit count and the bits, first bit in the high-order
// bit of the first byte.
#include "protocol/asn1/value/BitMap.h"
#include "protocol/asn1/value/ConstrainedObject.h"

namespace ASN1 {

class BIT_STRING : public ConstrainedObject {
public:
    typedef ConstrainedObject::InfoType InfoType;
    static InfoType const theInfo;

    explicit BIT_STRING(InfoType const* info = &theInfo) : ConstrainedObject(info) {}

    unsigned size() const { return bits_.size(); }
    void resize(unsigned bitCount) { bits_.resize(bitCount); }
    bool operator[](unsigned i) const { return bits_[i]; }
    void set(unsigned i) { bits_.set(i); }
    void clear(unsigned i) { bits_.clear(i); }
    BitMap::Bytes& bytes() { return bits_.bytes(); }
    BitMap::Bytes const& bytes() const { return bits_.bytes(); }

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    BitMap bits_;
};

} // namespace ASN1
