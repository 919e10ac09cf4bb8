#include "protocol/asn1/value/Choice.h"

#include "protocol/asn1/value/Visitor.h"

#include <utility>

namespace ASN1 {

CHOICE::CHOICE(InfoType const* info, int selection, AbstractData* value)
    : AbstractData(info), value_(value), selection_(selection)
{
}

CHOICE::CHOICE(CHOICE const& other)
    : AbstractData(other), value_(other.value_ ? other.value_->clone().release() : nullptr),
      selection_(other.selection_)
{
}

CHOICE& CHOICE::operator=(CHOICE const& other)
{
    if (this != &other) {
        CHOICE copy(other);
        swap(copy);
    }
    return *this;
}

CHOICE::~CHOICE() { delete value_; }

char const* CHOICE::getSelectionName() const
{
    if (selection_ < 0 || static_cast<unsigned>(selection_) >= info()->totalChoices || !info()->selectionNames)
        return nullptr;
    return info()->selectionNames[selection_];
}

void CHOICE::dropValue()
{
    delete value_;
    value_ = nullptr;
}

bool CHOICE::createSelection()
{
    InfoType const* record = info();
    if (selection_ >= 0 && static_cast<unsigned>(selection_) < record->totalChoices
        && record->selectionInfos && record->selectionInfos[selection_]) {
        AbstractData::InfoType const* alternative = record->selectionInfos[selection_];
        setSelection(selection_, alternative->create(alternative));
        return true;
    }
    setSelection(unknownSelection, nullptr);
    return false;
}

bool CHOICE::select(int selection)
{
    if (selection == selection_ && value_)
        return true;
    selection_ = selection;
    return createSelection();
}

void CHOICE::swap(CHOICE& other)
{
    InfoType const* record = info();
    setInfo(other.info());
    other.setInfo(record);
    std::swap(value_, other.value_);
    std::swap(selection_, other.selection_);
}

int CHOICE::do_compare(AbstractData const& other) const
{
    CHOICE const* peer = peerOf<CHOICE>(other);
    if (!peer)
        return compareUnrelated(other);
    if (selection_ != peer->selection_ || selection_ < 0)
        return compareValues(selection_, peer->selection_);
    if (!value_ || !peer->value_)
        return compareValues(value_ != nullptr, peer->value_ != nullptr);
    return value_->compare(*peer->value_);
}

AbstractData* CHOICE::do_clone() const { return cloneThroughRecord(*this); }
bool CHOICE::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool CHOICE::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
