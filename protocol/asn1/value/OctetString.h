#pragma once
// ASN.1 OCTET STRING: the octets, held as a vector of char.
#include "protocol/asn1/value/ConstrainedObject.h"

#include <string>
#include <vector>

namespace ASN1 {

class OCTET_STRING : public ConstrainedObject, public std::vector<char> {
public:
    typedef ConstrainedObject::InfoType InfoType;
    static InfoType const theInfo;

    explicit OCTET_STRING(InfoType const* info = &theInfo) : ConstrainedObject(info) {}
    OCTET_STRING(size_type count, char fill, InfoType const* info = &theInfo)
        : ConstrainedObject(info), std::vector<char>(count, fill) {}
    explicit OCTET_STRING(std::vector<char> const& octets, InfoType const* info = &theInfo)
        : ConstrainedObject(info), std::vector<char>(octets) {}

    using ConstrainedObject::info;
    OCTET_STRING& operator=(std::vector<char> const& octets);
    OCTET_STRING& operator=(std::string const& octets);
    operator std::string() const { return std::string(begin(), end()); }

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;
};

} // namespace ASN1
