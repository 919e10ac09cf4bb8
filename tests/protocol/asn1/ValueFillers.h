#pragma once
// Value building for the coder tests: a test row's value is a default value
// of its record, set by a filler.
#include "protocol/asn1/value/Values.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ValueFillers {

using namespace ASN1;

typedef std::function<void(AbstractData&)> Filler;

inline Filler nothing() { return [](AbstractData&) {}; }
inline Filler setBool(bool b) { return [b](AbstractData& v) { dynamic_cast<BOOLEAN&>(v).setValue(b); }; }
inline Filler setInt(int n) { return [n](AbstractData& v) { dynamic_cast<INTEGER&>(v).setValue(n); }; }
inline Filler setEnum(int n) { return [n](AbstractData& v) { dynamic_cast<ENUMERATED&>(v).setValue(n); }; }
inline Filler setOctets(std::vector<char> data)
{
    return [data](AbstractData& v) { static_cast<std::vector<char>&>(dynamic_cast<OCTET_STRING&>(v)) = data; };
}
inline Filler setBits(std::string pattern)
{
    return [pattern](AbstractData& v) {
        BIT_STRING& b = dynamic_cast<BIT_STRING&>(v);
        b.resize(static_cast<unsigned>(pattern.size()));
        for (unsigned i = 0; i < pattern.size(); ++i)
            if (pattern[i] == '1')
                b.set(i);
    };
}
inline Filler setText(std::string text) { return [text](AbstractData& v) { dynamic_cast<AbstractString&>(v) = text; }; }
inline Filler setWide(std::wstring text) { return [text](AbstractData& v) { dynamic_cast<BMPString&>(v) = text; }; }
inline Filler setChoice(int selection, Filler alternative = nothing())
{
    return [selection, alternative](AbstractData& v) {
        CHOICE& c = dynamic_cast<CHOICE&>(v);
        c.select(selection);
        if (c.getValue())
            alternative(*c.getValue());
    };
}
// The fields of a SEQUENCE in order (root fields, then additions); an
// OPTIONAL field or addition is included when it has a filler.
inline Filler setFields(std::vector<Filler> fields)
{
    return [fields](AbstractData& v) {
        SEQUENCE& s = dynamic_cast<SEQUENCE&>(v);
        SEQUENCE::InfoType const& info = *s.info();
        for (unsigned i = 0; i < fields.size(); ++i) {
            int const option = i < info.numFields ? info.ids[i] : int(info.numOptional + i - info.numFields);
            if (!fields[i])
                continue;
            if (option >= 0)
                s.includeOptionalField(unsigned(option), i);
            fields[i](*s.makeField(i));
        }
    };
}
// Pair<T>: the flag true, then the value.
inline Filler setPair(Filler value) { return setFields({setBool(true), value}); }
inline Filler setList(std::vector<Filler> elements)
{
    return [elements](AbstractData& v) {
        SEQUENCE_OF_Base& list = dynamic_cast<SEQUENCE_OF_Base&>(v);
        list.resize(unsigned(elements.size()));
        for (unsigned i = 0; i < elements.size(); ++i)
            elements[i](*list.elementAt(i));
    };
}
inline Filler setOid(std::vector<unsigned> arcs)
{
    return [arcs](AbstractData& v) { dynamic_cast<OBJECT_IDENTIFIER&>(v).arcs() = arcs; };
}
inline Filler setOpenBuffer(std::vector<char> data)
{
    return [data](AbstractData& v) { dynamic_cast<OpenData&>(v).make_buf() = data; };
}
inline Filler setContained(Filler inner)
{
    return [inner](AbstractData& v) { inner(*dynamic_cast<OpenData&>(v).get_data()); };
}

inline std::unique_ptr<AbstractData> make(AbstractData::InfoType const& info, Filler const& fill)
{
    std::unique_ptr<AbstractData> value(info.create(&info));
    fill(*value);
    return value;
}

} // namespace ValueFillers
