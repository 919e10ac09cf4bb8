#pragma once
// ASN.1 NULL: a value without data.
#include "protocol/asn1/value/AbstractData.h"

namespace ASN1 {

class Null : public AbstractData {
public:
    typedef AbstractData::InfoType InfoType;
    static InfoType const theInfo;

    explicit Null(InfoType const* info = &theInfo) : AbstractData(info) {}

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;
};

} // namespace ASN1
