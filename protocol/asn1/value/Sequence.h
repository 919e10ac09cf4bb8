#pragma once
// ASN.1 SEQUENCE: the field values (owned; root fields in declaration
// order, then the known extension additions; null for a field that is
// absent or not made), the option map (one bit per OPTIONAL root field) and
// the extension map (one bit per extension addition).
//
// Option numbers: the OPTIONAL root fields are numbered 0, 1, 2 ... in
// declaration order, the extension additions continue after them; option
// number n below the OPTIONAL count is bit n of the option map, above it bit
// n - count of the extension map. A mandatory field always exists; an
// OPTIONAL field or addition is present when its bit is 1, and then it
// exists. A field may exist while its bit is 0; coders then ignore it.
//
// A generated SEQUENCE type derives from this class, passes its own record
// to the constructor and reads its fields through field<T>(index).
#include "protocol/asn1/value/AbstractData.h"
#include "protocol/asn1/value/BitMap.h"
#include "protocol/asn1/value/FieldList.h"


namespace ASN1 {

class SEQUENCE : public AbstractData {
public:
    typedef ASN1::BitMap BitMap;

    struct InfoType : AbstractData::InfoType {
        bool extendable;
        AbstractData::InfoType const* const* fieldInfos; // root fields, then known additions
        int const* ids;                   // per field: -1 mandatory, else its option number
        unsigned numFields;               // root fields
        unsigned knownExtensions;
        unsigned numOptional;             // OPTIONAL root fields
        char const* defaultExtensionBits; // null: none
        unsigned const* tags;             // null: automatic tagging; defaultTag: each field's own
        char const* const* fieldNames;
    };

    // The tag table that keeps each field's own type's tag (BER).
    static unsigned const defaultTag[1];

    explicit SEQUENCE(InfoType const* info);
    SEQUENCE(SEQUENCE const& other);
    SEQUENCE& operator=(SEQUENCE const& other);
    ~SEQUENCE() override;

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }

    unsigned fieldCount() const { return static_cast<unsigned>(fields_.size()); }
    AbstractData* getField(unsigned index) { return index < fields_.size() ? fields_[index] : nullptr; }
    AbstractData const* getField(unsigned index) const { return index < fields_.size() ? fields_[index] : nullptr; }
    // The field at index, made from its record when it does not exist yet;
    // null when the record has no type for it.
    AbstractData* makeField(unsigned index);
    char const* fieldName(unsigned index) const;

    // Inline, as the coders ask for every OPTIONAL field.
    bool hasOptionalField(unsigned optionNumber) const
    {
        if (optionNumber < optionMap_.size())
            return optionMap_[optionNumber];
        return extensionMap_[optionNumber - optionMap_.size()];
    }
    // Marks the field present (growing the extension map when needed) and
    // makes its value at index when it does not exist.
    void includeOptionalField(unsigned optionNumber, unsigned index);
    // Marks the field absent; its value stays for a later include.
    void removeOptionalField(unsigned optionNumber);

    BitMap& optionMap() { return optionMap_; }
    BitMap const& optionMap() const { return optionMap_; }
    BitMap& extensionMap() { return extensionMap_; }
    BitMap const& extensionMap() const { return extensionMap_; }

    void swap(SEQUENCE& other);

protected:
    // The value of an existing field as its class.
    template <class T>
    T& field(unsigned index) { return *boost::polymorphic_downcast<T*>(fields_[index]); }
    template <class T>
    T const& field(unsigned index) const { return *boost::polymorphic_downcast<T const*>(fields_[index]); }

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    void deleteFields();

    // From the value pool, as the values themselves.
    FieldList fields_;
    BitMap optionMap_;
    BitMap extensionMap_;
};

} // namespace ASN1
