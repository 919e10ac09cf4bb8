// Interoperability of the PER ALIGNED coder and of the BER coder with an
// independent one, Erlang/OTP's ASN.1 compiler (per and ber backends), on
// the type shapes of PerInterop.asn, both directions (see ErlangExchange.h).
#include "ErlangExchange.h"

#include "fuzz/per_random_value.h"
#include "protocol/asn1/ASN1.h"

#include <gtest/gtest.h>

using namespace ASN1;

namespace {

// The records of PerInterop.asn --------------------------------------------

template <ConstraintType Kind, int Lb, unsigned Ub>
INTEGER::InfoType const Int = {{&createAs<INTEGER>, 2}, Kind, Lb, Ub};

char const* const colourNames[] = {"red", "green", "blue", "cyan", "magenta", nullptr};
ENUMERATED::InfoType const Colour = {{&createAs<ENUMERATED>, 10}, false, 4, colourNames};
char const* const modeNames[] = {"off", "on", nullptr};
ENUMERATED::InfoType const Mode = {{&createAs<ENUMERATED>, 10}, true, 1, modeNames};

AbstractData::InfoType const* const itemFields[] = {&Int<FixedConstraint, 0, 255>, &IA5String::theInfo};
int const itemIds[] = {-1, 0};
char const* const itemNames[] = {"id", "tag"};
SEQUENCE::InfoType const Item = {{&createAs<SEQUENCE>, 16}, true, itemFields, itemIds, 2, 0, 1, nullptr, nullptr, itemNames};

AbstractData::InfoType const* const pickAlternatives[] = {
    &Int<FixedConstraint, 0, 3>, &IA5String::theInfo, &Item, &BOOLEAN::theInfo, &OCTET_STRING::theInfo};
char const* const pickNames[] = {"number", "text", "item", "late", "later"};
CHOICE::InfoType const Pick = {{&createAs<CHOICE>, 0}, true, pickAlternatives, 3, 5, nullptr, pickNames};

OCTET_STRING::InfoType const Pair = {{&createAs<OCTET_STRING>, 4}, FixedConstraint, 2, 2};
OCTET_STRING::InfoType const Quad = {{&createAs<OCTET_STRING>, 4}, FixedConstraint, 4, 4};
BIT_STRING::InfoType const Flags = {{&createAs<BIT_STRING>, 3}, FixedConstraint, 12, 12};
AbstractString::InfoType const Label = {{{&createAs<IA5String>, 22}, FixedConstraint, 1, 64}, nullptr, 128, 7, 7, 8};
SEQUENCE_OF_Base::InfoType const Numbers = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &INTEGER::theInfo};
SEQUENCE_OF_Base::InfoType const Triple = {{{&createAs<SEQUENCE_OF_Base>, 16}, FixedConstraint, 3, 3}, &Colour};
SEQUENCE_OF_Base::InfoType const Items = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &Item};

AbstractData::InfoType const* const shapesFields[] = {
    &BOOLEAN::theInfo, &Int<FixedConstraint, 0, 7>, &Int<FixedConstraint, -128, 127>,
    &Int<FixedConstraint, 0, 65535>, &Int<FixedConstraint, 0, 4294967295u>, &Int<FixedConstraint, 112000, 399975>,
    &INTEGER::theInfo, &Int<ExtendableConstraint, 0, 15>, &Colour, &Mode, &Null::theInfo,
    &OCTET_STRING::theInfo, &Pair, &Quad, &Flags, &BIT_STRING::theInfo, &IA5String::theInfo, &Label,
    &NumericString::theInfo, &PrintableString::theInfo, &VisibleString::theInfo, &BMPString::theInfo,
    &OBJECT_IDENTIFIER::theInfo, &GeneralizedTime::theInfo, &Numbers, &Triple, &Items, &Pick,
    &IA5String::theInfo, &Int<FixedConstraint, 0, 1023>,
    &BOOLEAN::theInfo, &Pick};
int const shapesIds[] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 3};
SEQUENCE::InfoType const Shapes = {{&createAs<SEQUENCE>, 16}, true, shapesFields, shapesIds, 30, 2, 2, nullptr, nullptr, nullptr};

// This side knows only the first of the three additions of Later.
AbstractData::InfoType const* const laterFields[] = {&Int<FixedConstraint, 0, 7>, &BOOLEAN::theInfo};
int const laterIds[] = {-1, 0};
SEQUENCE::InfoType const Later = {{&createAs<SEQUENCE>, 16}, true, laterFields, laterIds, 1, 1, 0, nullptr, nullptr, nullptr};

// The Erlang records of the SEQUENCE types.
bool recordOf(SEQUENCE::InfoType const& type, Interop::Record& record)
{
    if (&type == &Shapes)
        record = {"Shapes", 32};
    else if (&type == &Item)
        record = {"Item", 2};
    else if (&type == &Later)
        record = {"Later", 4};
    else
        return false;
    return true;
}

Interop::Exchange exchangeOfShapes()
{
    Interop::Exchange exchange;
    exchange.types = {
        {"Shapes", &Shapes, true}, {"Pick", &Pick, true}, {"Item", &Item, true},
        {"Colour", &Colour, true}, {"Mode", &Mode, true}, {"Later", &Later, false},
    };
    exchange.records = recordOf;
    exchange.erlangSeed = 7;
    exchange.seed = 11;
    exchange.count = 40;
    exchange.fill = [](AbstractData& value, std::mt19937& random) {
        PerFuzz::RandomOptions options;
        options.enumerationExtensions = false; // coded by number here, by position in X.691
        PerFuzz::fillRandom(value, random, options);
    };
    return exchange;
}

} // namespace

TEST(PERInterop, AgreesWithErlangInBothDirections)
{
    Interop::exchangeWithErlang(exchangeOfShapes());
}

// In BER a CHOICE standing in a field is wrapped in a header that is
// primitive when its alternative is, where X.690's is constructed (the
// BER vector tests pin that down): here the CHOICE fields of Shapes hold
// the SEQUENCE alternative `item`, on both sides. Everything else is coded
// as X.690 has it.
TEST(BERInterop, AgreesWithErlangInBothDirections)
{
    Interop::Exchange exchange = exchangeOfShapes();
    exchange.rule = CoderEnv::ber;
    exchange.erlangSeed = 17;
    exchange.seed = 19;
    auto const fillAny = exchange.fill;
    exchange.fill = [fillAny](AbstractData& value, std::mt19937& random) {
        fillAny(value, random);
        if (value.info() != &Shapes)
            return;
        SEQUENCE& shapes = static_cast<SEQUENCE&>(value);
        for (unsigned const pick : {27u, 31u}) {
            CHOICE* choice = dynamic_cast<CHOICE*>(shapes.getField(pick));
            if (choice && choice->select(2))
                fillAny(*choice->getValue(), random);
        }
    };
    Interop::exchangeWithErlang(exchange);
}
