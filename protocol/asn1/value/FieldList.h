#pragma once
// The field slots of a SEQUENCE: a fixed number of pointers in one block of
// the value pool, sized once when the SEQUENCE is made (root fields plus
// known extension additions). Unlike a vector it neither clears the slots
// first nor keeps a capacity: the SEQUENCE fills every slot as it makes its
// mandatory fields, which matters because every decoded frame makes and
// drops a few SEQUENCEs. It holds the slots, not the values they point to.
#include "protocol/asn1/value/ValuePool.h"

#include <cstddef>
#include <utility>

namespace ASN1 {

class AbstractData;

class FieldList {
public:
    typedef AbstractData* Slot;

    FieldList() = default;
    // `count` slots, left unset for the owner to fill.
    explicit FieldList(unsigned count)
        : slots_(count ? static_cast<Slot*>(ValuePool::allocate(count * sizeof(Slot))) : nullptr), count_(count)
    {
    }
    FieldList(FieldList const&) = delete;
    FieldList& operator=(FieldList const&) = delete;
    ~FieldList() { ValuePool::release(slots_, count_ * sizeof(Slot)); }

    std::size_t size() const { return count_; }
    Slot& operator[](std::size_t i) { return slots_[i]; }
    Slot const& operator[](std::size_t i) const { return slots_[i]; }
    Slot* begin() { return slots_; }
    Slot* end() { return slots_ + count_; }

    void swap(FieldList& other) noexcept
    {
        std::swap(slots_, other.slots_);
        std::swap(count_, other.count_);
    }

private:
    Slot* slots_ = nullptr;
    unsigned count_ = 0;
};

} // namespace ASN1
