#pragma once
// ASN.1 ENUMERATED: the value is the declared number of an item, not its
// position. The record's name list has one entry per item in declaration
// order, "identifier" or "identifier=number", and ends with a null entry;
// an item without a number has the previous item's number plus one, the
// first 0. A generated enumeration derives from this class and adds the C++
// enumeration NamedNumber of its items.
#include "protocol/asn1/value/AbstractData.h"

#include <string>
#include <string_view>

namespace ASN1 {

class ENUMERATED : public AbstractData {
public:
    struct InfoType : AbstractData::InfoType {
        bool extendable;
        int maxEnumValue; // the largest declared number
        char const* const* names;
    };

    explicit ENUMERATED(InfoType const* info) : AbstractData(info) {}

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }

    int getValue() const { return value_; }
    void setValue(int value) { value_ = value; }
    int getMaximum() const { return info()->maxEnumValue; }
    bool extendable() const { return info()->extendable; }
    // A number from 0 to the largest item number.
    bool isStrictlyValid() const;

    // The identifier of the item numbered as the value; empty when no item
    // has that number.
    std::string_view getName() const;
    bool setFromName(std::string_view name);

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    int value_ = 0;
};

} // namespace ASN1
