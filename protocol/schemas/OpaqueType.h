#pragma once
// The stand-in of a schema type whose members this program does not know.
// It occupies the type's name, so that the types that refer to it exist and
// can be built, but it has no coding and no text: every visitor (encoder,
// decoder, printer, reader, checker) fails on it. A message that carries one
// is therefore refused whole, by the encoder as well as by the decoder,
// instead of being coded or read with made-up contents.
//
// Each generated stand-in derives from this class and passes its own record.
#include "protocol/asn1/ASN1.h"

namespace Schemas {

class OpaqueType : public ASN1::AbstractData {
public:
    typedef ASN1::AbstractData::InfoType InfoType;

protected:
    explicit OpaqueType(InfoType const* info) : AbstractData(info) {}

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(ASN1::Visitor& visitor) override;
    bool do_accept(ASN1::ConstVisitor& visitor) const override;
};

} // namespace Schemas
