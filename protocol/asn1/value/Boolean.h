#pragma once
// ASN.1 BOOLEAN, false by default.
#include "protocol/asn1/value/AbstractData.h"

namespace ASN1 {

class BOOLEAN : public AbstractData {
public:
    typedef AbstractData::InfoType InfoType;
    static InfoType const theInfo;

    explicit BOOLEAN(InfoType const* info = &theInfo) : AbstractData(info) {}
    BOOLEAN(bool value, InfoType const* info) : AbstractData(info), value_(value) {}

    bool getValue() const { return value_; }
    void setValue(bool value) { value_ = value; }
    BOOLEAN& operator=(bool value) { value_ = value; return *this; }
    operator bool() const { return value_; }

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    bool value_ = false;
};

} // namespace ASN1
