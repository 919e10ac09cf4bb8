#pragma once
// ASN.1 CHOICE: the selected alternative's index and its value, owned.
// Root alternatives come first, then the extension alternatives. The index
// is -1 when nothing is selected and -2 for an alternative this schema does
// not know (received from a newer peer). A generated CHOICE type derives
// from this class; its alternatives are objects of their own classes, made
// through the alternatives' records.
#include "protocol/asn1/value/AbstractData.h"

namespace ASN1 {

class CHOICE : public AbstractData {
public:
    enum { unselected = -1, unknownSelection = -2 };

    struct InfoType : AbstractData::InfoType {
        bool extendable;
        AbstractData::InfoType const* const* selectionInfos; // root, then extension alternatives
        unsigned numChoices;   // root alternatives
        unsigned totalChoices; // root and extension alternatives
        unsigned const* tags;  // null: the index is the tag
        char const* const* selectionNames;
    };

    // Takes ownership of value.
    explicit CHOICE(InfoType const* info, int selection = unselected, AbstractData* value = nullptr);
    CHOICE(CHOICE const& other);
    CHOICE& operator=(CHOICE const& other);
    ~CHOICE() override;

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }

    int getSelection() const { return selection_; }
    AbstractData* getValue() { return value_; }
    AbstractData const* getValue() const { return value_; }
    // The identifier of the selected alternative; null without a known one.
    char const* getSelectionName() const;

    // Replaces the alternative; takes ownership of value.
    void setSelection(int selection, AbstractData* value)
    {
        if (value_ != nullptr && value != value_)
            dropValue();
        value_ = value;
        selection_ = selection;
    }
    // Makes a new default value of the selected alternative's type. Without
    // a known alternative the selection becomes -2 and the result is false.
    bool createSelection();
    // Selects an alternative, keeping the current value when it is already
    // the selected one; false (selection -2) when it is not a known one.
    bool select(int selection);
    // Selects the alternative that a BER tag (number and class) stands for:
    // by the tag table when there is one, else the context-specific number
    // is the index. When no alternative has the tag and the first one is an
    // untagged CHOICE, that one is selected and the tag looked up inside it;
    // when that fails too the selection becomes -2. False when no
    // alternative can have the tag. Defined with the BER coder (BERTags.cpp),
    // the one reader of tags.
    bool setID(unsigned tagNumber, unsigned tagClass);

    void swap(CHOICE& other);

    bool isValid() const;
    bool isStrictlyValid() const;

private:
    bool setID(unsigned tagNumber, unsigned tagClass, int depth);
    // Out of line: the decoders select into an empty CHOICE.
    void dropValue();

    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    AbstractData* value_;
    int selection_;
};

} // namespace ASN1
