#include "RecordDescription.h"

#include "protocol/schemas/OpaqueType.h"

#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

namespace SchemaTest {

using namespace ASN1;

namespace {

std::string bounds(ConstrainedObject::InfoType const* info, char const* size)
{
    std::ostringstream os;
    switch (info->type) {
    case Unconstrained:
        return "";
    case FixedConstraint:
        os << "(" << size;
        if (info->lowerLimit < 0)
            os << info->lowerLimit << ".." << static_cast<int>(info->upperLimit);
        else
            os << info->lowerLimit << ".." << info->upperLimit;
        os << (*size ? "))" : ")");
        return os.str();
    default:
        os << "<constraint kind " << info->type << ">";
        return os.str();
    }
}

std::string join(std::vector<std::string> const& parts)
{
    std::string text;
    for (std::string const& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

std::string tagMark(AbstractData::InfoType const* info, unsigned expected)
{
    return info->tag == expected ? "" : "<tag " + std::to_string(info->tag) + ">";
}

std::string enumeration(ENUMERATED::InfoType const* info)
{
    std::ostringstream os;
    os << "ENUMERATED {";
    int number = 0;
    for (char const* const* entry = info->names; entry && *entry; ++entry, ++number) {
        std::string text(*entry);
        std::string::size_type equals = text.find('=');
        if (equals != std::string::npos) {
            number = std::atoi(text.c_str() + equals + 1);
            text.erase(equals);
        }
        os << (entry == info->names ? "" : ", ") << text << "(" << number << ")";
    }
    os << (info->extendable ? " ..." : "") << "} MAX " << info->maxEnumValue << tagMark(info, 10);
    return os.str();
}

} // namespace

bool RecordDescriber::isNamedKind(std::string const& description)
{
    for (char const* kind : {"SEQUENCE {", "CHOICE {", "ENUMERATED {", "UNAVAILABLE"}) {
        if (description.compare(0, std::string(kind).size(), kind) == 0)
            return true;
    }
    return false;
}

std::string RecordDescriber::member(Record const* info) const
{
    auto named = names_.find(info);
    return named != names_.end() ? named->second : describe(info);
}

std::string RecordDescriber::describe(Record const* info) const
{
    std::unique_ptr<AbstractData> value(info->create(info));
    if (value->info() != info)
        return "<creates a value of another type>";
    AbstractData* v = value.get();
    std::ostringstream os;
    if (dynamic_cast<Schemas::OpaqueType*>(v)) {
        os << "UNAVAILABLE" << tagMark(info, 0);
    } else if (SEQUENCE* seq = dynamic_cast<SEQUENCE*>(v)) {
        SEQUENCE::InfoType const* r = seq->info();
        std::vector<std::string> parts;
        unsigned optional = 0;
        for (unsigned i = 0; i < r->numFields + r->knownExtensions; ++i) {
            if (i == r->numFields && r->extendable)
                parts.push_back("...");
            std::string part = std::string(r->fieldNames[i]) + " " + member(r->fieldInfos[i]);
            if (r->ids[i] != -1)
                part += (i < r->numFields ? " OPTIONAL" : " ADDITION") + std::to_string(r->ids[i]);
            if (i < r->numFields && r->ids[i] != -1)
                ++optional;
            parts.push_back(part);
        }
        if (r->knownExtensions == 0 && r->extendable)
            parts.push_back("...");
        os << "SEQUENCE {" << join(parts) << "}" << tagMark(info, 16);
        if (optional != r->numOptional)
            os << "<numOptional " << r->numOptional << ">";
        if (r->tags || r->defaultExtensionBits)
            os << "<tags or default extension bits>";
    } else if (CHOICE* choice = dynamic_cast<CHOICE*>(v)) {
        CHOICE::InfoType const* r = choice->info();
        std::vector<std::string> parts;
        for (unsigned i = 0; i < r->totalChoices; ++i) {
            if (i == r->numChoices && r->extendable)
                parts.push_back("...");
            parts.push_back(std::string(r->selectionNames[i]) + " " + member(r->selectionInfos[i]));
        }
        if (r->totalChoices == r->numChoices && r->extendable)
            parts.push_back("...");
        os << "CHOICE {" << join(parts) << "}" << tagMark(info, 0);
        if (r->tags)
            os << "<tags>";
    } else if (ENUMERATED* e = dynamic_cast<ENUMERATED*>(v)) {
        os << enumeration(e->info());
    } else if (SEQUENCE_OF_Base* list = dynamic_cast<SEQUENCE_OF_Base*>(v)) {
        SEQUENCE_OF_Base::InfoType const* r = list->info();
        os << (r->tag == 17 ? "SET OF" : "SEQUENCE OF") << bounds(r, "SIZE(") << " " << member(r->elementInfo)
           << (r->tag == 16 || r->tag == 17 ? "" : tagMark(info, 16));
    } else if (AbstractString* s = dynamic_cast<AbstractString*>(v)) {
        AbstractString::InfoType const* r = s->info();
        os << "IA5String" << bounds(r, "SIZE(") << tagMark(info, 22);
        bool plain = r == &IA5String::theInfo;
        if (!plain && (r->characterSet || r->characterSetSize != 128 || r->canonicalBits != 7 ||
                       r->unalignedBits != 7 || r->alignedBits != 8))
            os << "<character set>";
    } else if (OCTET_STRING* o = dynamic_cast<OCTET_STRING*>(v)) {
        os << "OCTET STRING" << bounds(o->info(), "SIZE(") << tagMark(info, 4);
    } else if (INTEGER* i = dynamic_cast<INTEGER*>(v)) {
        os << "INTEGER" << bounds(i->info(), "") << tagMark(info, 2);
    } else if (dynamic_cast<BOOLEAN*>(v)) {
        os << "BOOLEAN" << tagMark(info, 1);
    } else if (dynamic_cast<Null*>(v)) {
        os << "NULL" << tagMark(info, 5);
    } else if (dynamic_cast<OBJECT_IDENTIFIER*>(v)) {
        os << "OBJECT IDENTIFIER" << tagMark(info, 6);
    } else {
        os << "<unexpected value class>";
    }
    return os.str();
}

} // namespace SchemaTest
