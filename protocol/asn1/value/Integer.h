#pragma once
// ASN.1 INTEGER: a 32-bit value, 0 by default, stored without range checks.
// Its record gives the constraint; a type whose range starts at 0 or above
// holds unsigned numbers (see ConstrainedObject). IntegerWithNamedNumber
// adds a table of named numbers that only value notation uses.
#include "protocol/asn1/value/ConstrainedObject.h"

#include <string>

namespace ASN1 {

class INTEGER : public ConstrainedObject {
public:
    typedef ConstrainedObject::InfoType InfoType;
    static InfoType const theInfo;

    explicit INTEGER(InfoType const* info = &theInfo) : ConstrainedObject(info) {}
    INTEGER(int value, InfoType const* info) : ConstrainedObject(info), value_(value) {}

    int getValue() const { return value_; }
    void setValue(int value) { value_ = value; }
    INTEGER& operator=(int value) { value_ = value; return *this; }
    // Within the root range of the type.
    bool isStrictValid() const;

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    int value_ = 0;
};

class IntegerWithNamedNumber : public INTEGER {
public:
    struct NameEntry {
        int value;
        char const* name;
    };
    // The entries are sorted by number.
    struct InfoType : INTEGER::InfoType {
        NameEntry const* nameEntries;
        unsigned entryCount;
    };

    explicit IntegerWithNamedNumber(InfoType const* info) : INTEGER(info) {}
    IntegerWithNamedNumber(int value, InfoType const* info) : INTEGER(value, info) {}

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }
    using INTEGER::operator=;

    // The name of the value, when the table has one.
    bool getName(std::string& name) const;
    bool setFromName(std::string const& name);

private:
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;
};

} // namespace ASN1
