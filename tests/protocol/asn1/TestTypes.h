#pragma once
// Hand-written schema types in the shape the schema generator emits, used by
// the ASN.1 runtime tests:
//
//   Colour  ::= ENUMERATED { red, green(8), blue, ef(46), ... }
//   Tone    ::= SEQUENCE { freq1 INTEGER, freq2 INTEGER }
//   Dtmf    ::= SEQUENCE { digits SEQUENCE OF Tone, amp1 INTEGER OPTIONAL,
//                          amp2 INTEGER OPTIONAL }
//   Body    ::= CHOICE { ping NULL, error Colour, dtmf Dtmf,
//                        name IA5String (SIZE(1..64)), ..., later BOOLEAN }
//   Message ::= SEQUENCE { seq INTEGER OPTIONAL, slot INTEGER (0..1023) OPTIONAL,
//                          body Body, ..., flag BOOLEAN, note IA5String }
//   Empty   ::= SEQUENCE { }
//   Everything: one field of every value class (see fieldNames).
#include "protocol/asn1/value/Values.h"

namespace Demo {

typedef ASN1::Constrained_INTEGER<ASN1::FixedConstraint, 0, 1023> Slot;

// IA5String (SIZE(1..64))
extern ASN1::AbstractString::InfoType const Name_info;
// INTEGER { off(0), normal(10), max(99) }
extern ASN1::IntegerWithNamedNumber::InfoType const Level_info;
// An open type constrained to INTEGER.
extern ASN1::TypeConstrainedOpenData::InfoType const IntegerOpen_info;

class Colour : public ASN1::ENUMERATED {
public:
    enum NamedNumber { red = 0, green = 8, blue = 9, ef = 46 };

    Colour() : ENUMERATED(&theInfo) {}
    explicit Colour(NamedNumber value) : ENUMERATED(&theInfo) { setValue(value); }

    static InfoType const theInfo;
    static char const* const names[];
};

class Tone : public ASN1::SEQUENCE {
public:
    Tone() : SEQUENCE(&theInfo) {}
    Tone(int freq1, int freq2) : SEQUENCE(&theInfo) { set_freq1(freq1); set_freq2(freq2); }

    ASN1::INTEGER const& get_freq1() const { return field<ASN1::INTEGER>(0); }
    void set_freq1(int value) { field<ASN1::INTEGER>(0).setValue(value); }
    ASN1::INTEGER const& get_freq2() const { return field<ASN1::INTEGER>(1); }
    void set_freq2(int value) { field<ASN1::INTEGER>(1).setValue(value); }

    static InfoType const theInfo;
    static ASN1::AbstractData::InfoType const* const fieldInfos[];
    static int const fieldIds[];
    static char const* const fieldNames[];
};

class Dtmf : public ASN1::SEQUENCE {
public:
    enum OptionalFields { e_amp1, e_amp2 };
    typedef ASN1::SEQUENCE_OF<Tone> Digits;

    Dtmf() : SEQUENCE(&theInfo) {}

    Digits const& get_digits() const { return field<Digits>(0); }
    Digits& ref_digits() { return field<Digits>(0); }
    void set_amp1(int value) { includeOptionalField(e_amp1, 1); field<ASN1::INTEGER>(1).setValue(value); }

    static InfoType const theInfo;
    static ASN1::AbstractData::InfoType const* const fieldInfos[];
    static int const fieldIds[];
    static char const* const fieldNames[];
};

class Body : public ASN1::CHOICE {
public:
    enum Choices { ping, error, dtmf, name, later };

    Body() : CHOICE(&theInfo) {}

    static InfoType const theInfo;
    static ASN1::AbstractData::InfoType const* const selectionInfos[];
    static char const* const selectionNames[];
};

class Message : public ASN1::SEQUENCE {
public:
    enum OptionalFields { e_seq, e_slot, e_flag, e_note };
    enum Fields { f_seq, f_slot, f_body, f_flag, f_note };

    Message() : SEQUENCE(&theInfo) {}

    Body const& get_body() const { return field<Body>(f_body); }
    Body& ref_body() { return field<Body>(f_body); }
    void set_seq(int value) { includeOptionalField(e_seq, f_seq); field<ASN1::INTEGER>(f_seq).setValue(value); }
    void set_slot(unsigned value) { includeOptionalField(e_slot, f_slot); field<Slot>(f_slot) = value; }
    void set_flag(bool value) { includeOptionalField(e_flag, f_flag); field<ASN1::BOOLEAN>(f_flag) = value; }
    void set_note(char const* text) { includeOptionalField(e_note, f_note); field<ASN1::IA5String>(f_note) = text; }
    Slot const& get_slot() const { return field<Slot>(f_slot); }

    static InfoType const theInfo;
    static ASN1::AbstractData::InfoType const* const fieldInfos[];
    static int const fieldIds[];
    static char const* const fieldNames[];
};

class Empty : public ASN1::SEQUENCE {
public:
    Empty() : SEQUENCE(&theInfo) {}
    static InfoType const theInfo;
};

class Everything : public ASN1::SEQUENCE {
public:
    enum Fields {
        f_null, f_flag, f_number, f_level, f_colour, f_oid, f_bits, f_octets, f_text, f_printable,
        f_wide, f_time, f_body, f_tones, f_masks, f_open, f_typedOpen, f_count
    };

    Everything() : SEQUENCE(&theInfo) {}

    template <class T>
    T& at(Fields f) { return field<T>(f); }

    static InfoType const theInfo;
    static ASN1::AbstractData::InfoType const* const fieldInfos[];
    static int const fieldIds[];
    static char const* const fieldNames[];
};

// An Everything with a non-default value in every field.
void fill(Everything& value);

// Values with parts that have no value-notation text: a CHOICE without a
// selection, one with a selection outside the schema, an empty open type.
struct ValuesWithoutText {
    ValuesWithoutText();

    Message unselected;
    Message unknown;
    Everything emptyOpen;
};

} // namespace Demo
