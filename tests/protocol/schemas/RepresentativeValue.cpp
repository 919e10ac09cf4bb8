#include "RepresentativeValue.h"

#include "protocol/schemas/OpaqueType.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <typeinfo>

namespace SchemaTest {

using namespace ASN1;

namespace {

// n clamped into the size bounds of a sized object.
unsigned sizeWithin(ConstrainedObject const& value, unsigned n)
{
    if (value.constraintType() == Unconstrained)
        return n;
    return std::min(std::max(n, static_cast<unsigned>(value.getLowerLimit())), value.getUpperLimit());
}

bool fieldCodable(SEQUENCE::InfoType const* r, unsigned i) { return codable(r->fieldInfos[i]); }

} // namespace

bool codable(AbstractData::InfoType const* info)
{
    static std::map<AbstractData::InfoType const*, bool> known;
    auto found = known.find(info);
    if (found != known.end())
        return found->second;
    std::unique_ptr<AbstractData> value(info->create(info));
    bool result = true;
    if (dynamic_cast<Schemas::OpaqueType*>(value.get())) {
        result = false;
    } else if (SEQUENCE* seq = dynamic_cast<SEQUENCE*>(value.get())) {
        SEQUENCE::InfoType const* r = seq->info();
        for (unsigned i = 0; i < r->numFields; ++i)
            result = result && (r->ids[i] != -1 || fieldCodable(r, i));
    } else if (CHOICE* choice = dynamic_cast<CHOICE*>(value.get())) {
        result = false;
        for (unsigned i = 0; i < choice->info()->totalChoices; ++i)
            result = result || codable(choice->info()->selectionInfos[i]);
    } else if (SEQUENCE_OF_Base* list = dynamic_cast<SEQUENCE_OF_Base*>(value.get())) {
        result = sizeWithin(*list, 0) == 0 || codable(list->info()->elementInfo);
    }
    known[info] = result;
    return result;
}

void fillRepresentative(AbstractData& value)
{
    if (SEQUENCE* seq = dynamic_cast<SEQUENCE*>(&value)) {
        SEQUENCE::InfoType const* r = seq->info();
        for (unsigned i = 0; i < r->numFields + r->knownExtensions; ++i) {
            if (r->ids[i] == -1) {
                fillRepresentative(*seq->makeField(i));
            } else if (fieldCodable(r, i)) {
                seq->includeOptionalField(static_cast<unsigned>(r->ids[i]), i);
                fillRepresentative(*seq->getField(i));
            }
        }
    } else if (CHOICE* choice = dynamic_cast<CHOICE*>(&value)) {
        for (unsigned i = choice->info()->totalChoices; i-- > 0;) {
            if (codable(choice->info()->selectionInfos[i])) {
                choice->select(static_cast<int>(i));
                fillRepresentative(*choice->getValue());
                return;
            }
        }
    } else if (SEQUENCE_OF_Base* list = dynamic_cast<SEQUENCE_OF_Base*>(&value)) {
        if (!codable(list->info()->elementInfo))
            return;
        list->resize(sizeWithin(*list, 2));
        for (unsigned i = 0; i < list->size(); ++i)
            fillRepresentative(*list->elementAt(i));
    } else if (ENUMERATED* e = dynamic_cast<ENUMERATED*>(&value)) {
        e->setValue(e->getMaximum());
    } else if (AbstractString* s = dynamic_cast<AbstractString*>(&value)) {
        std::string const pattern = "a\"b\\c d";
        std::string text;
        for (unsigned i = 0; i < sizeWithin(*s, 5); ++i)
            text += pattern[i % pattern.size()];
        *s = text;
    } else if (OCTET_STRING* o = dynamic_cast<OCTET_STRING*>(&value)) {
        static char const pattern[] = {'\x00', '\x7f', '\x80', '\xff'};
        o->clear();
        for (unsigned i = 0; i < sizeWithin(*o, 4); ++i)
            o->push_back(pattern[i % sizeof pattern]);
    } else if (INTEGER* n = dynamic_cast<INTEGER*>(&value)) {
        n->setValue(n->constraintType() == Unconstrained ? -70000 : static_cast<int>(n->getUpperLimit()));
    } else if (BOOLEAN* b = dynamic_cast<BOOLEAN*>(&value)) {
        *b = true;
    } else if (OBJECT_IDENTIFIER* oid = dynamic_cast<OBJECT_IDENTIFIER*>(&value)) {
        oid->arcs() = {1, 2, 840, 113549};
    }
}

std::string roundTripRepresentative(AbstractData::InfoType const* info)
{
    std::unique_ptr<AbstractData> value(info->create(info));
    fillRepresentative(*value);
    std::unique_ptr<AbstractData> copy = value->clone();
    if (typeid(*copy) != typeid(*value) || copy->compare(*value) != 0)
        return "the copy differs";
    std::vector<char> octets;
    if (!codable(info)) {
        CoderEnv env(CoderEnv::per_Aligned);
        return env.encode(*value, std::back_inserter(octets)) ? "a value carrying a stand-in was encoded" : "";
    }
    for (int rule : {CoderEnv::per_Aligned, CoderEnv::per_Unaligned, CoderEnv::ber, CoderEnv::avn}) {
        std::string const variant = " (rule " + std::to_string(rule) + ")";
        CoderEnv env(rule);
        octets.clear();
        if (!env.encode(*value, std::back_inserter(octets)))
            return "encode failed" + variant;
        std::unique_ptr<AbstractData> back(info->create(info));
        if (!env.decode(octets.data(), octets.data() + octets.size(), *back, true))
            return "decode failed" + variant + ": " + std::string(octets.begin(), octets.end());
        if (back->compare(*value) != 0)
            return "decoded value differs" + variant;
    }
    return "";
}

} // namespace SchemaTest
