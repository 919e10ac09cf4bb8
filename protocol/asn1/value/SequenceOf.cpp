#include "protocol/asn1/value/SequenceOf.h"

#include "protocol/asn1/value/Visitor.h"

#include <algorithm>
#include <memory>

namespace ASN1 {

SEQUENCE_OF_Base::SEQUENCE_OF_Base(SEQUENCE_OF_Base const& other) : ConstrainedObject(other)
{
    try {
        insert(elements_.end(), other.elements_.begin(), other.elements_.end());
    } catch (...) {
        clear();
        throw;
    }
}

SEQUENCE_OF_Base& SEQUENCE_OF_Base::operator=(SEQUENCE_OF_Base const& other)
{
    if (this != &other) {
        SEQUENCE_OF_Base copy(other);
        swap(copy);
    }
    return *this;
}

SEQUENCE_OF_Base::~SEQUENCE_OF_Base() { clear(); }

void SEQUENCE_OF_Base::resize(unsigned n)
{
    if (n < elements_.size()) {
        erase(elements_.begin() + n, elements_.end());
        return;
    }
    elements_.reserve(n);
    AbstractData::InfoType const* element = info()->elementInfo;
    while (elements_.size() < n)
        elements_.push_back(element->create(element));
}

void SEQUENCE_OF_Base::clear() { erase(elements_.begin(), elements_.end()); }

SEQUENCE_OF_Base::Container::iterator SEQUENCE_OF_Base::insert(Container::iterator position, unsigned count,
                                                              AbstractData const& value)
{
    std::size_t offset = position - elements_.begin();
    elements_.reserve(elements_.size() + count);
    for (unsigned i = 0; i < count; ++i) {
        std::unique_ptr<AbstractData> copy = value.clone();
        elements_.insert(elements_.begin() + offset + i, copy.get());
        copy.release();
    }
    return elements_.begin() + offset;
}

SEQUENCE_OF_Base::Container::iterator SEQUENCE_OF_Base::insert(Container::iterator position,
                                                              Container::const_iterator first,
                                                              Container::const_iterator last)
{
    std::size_t offset = position - elements_.begin();
    elements_.reserve(elements_.size() + (last - first));
    for (std::size_t i = 0; first != last; ++first, ++i) {
        std::unique_ptr<AbstractData> copy = (*first)->clone();
        elements_.insert(elements_.begin() + offset + i, copy.get());
        copy.release();
    }
    return elements_.begin() + offset;
}

SEQUENCE_OF_Base::Container::iterator SEQUENCE_OF_Base::erase(Container::iterator first, Container::iterator last)
{
    for (Container::iterator i = first; i != last; ++i)
        delete *i;
    return elements_.erase(first, last);
}

void SEQUENCE_OF_Base::append(AbstractData* element)
{
    std::unique_ptr<AbstractData> owned(element);
    elements_.push_back(element);
    owned.release();
}

void SEQUENCE_OF_Base::swap(SEQUENCE_OF_Base& other)
{
    InfoType const* record = info();
    setInfo(other.info());
    other.setInfo(record);
    elements_.swap(other.elements_);
}

int SEQUENCE_OF_Base::do_compare(AbstractData const& other) const
{
    SEQUENCE_OF_Base const* peer = peerOf<SEQUENCE_OF_Base>(other);
    if (!peer)
        return compareUnrelated(other);
    std::size_t n = std::min(elements_.size(), peer->elements_.size());
    for (std::size_t i = 0; i < n; ++i) {
        int order = elements_[i]->compare(*peer->elements_[i]);
        if (order != 0)
            return order;
    }
    return compareValues(elements_.size(), peer->elements_.size());
}

AbstractData* SEQUENCE_OF_Base::do_clone() const { return cloneThroughRecord(*this); }
bool SEQUENCE_OF_Base::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool SEQUENCE_OF_Base::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
