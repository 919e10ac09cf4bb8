#pragma once
// The bytes of a BitMap: a byte vector that keeps up to `inlineCapacity`
// bytes in the object itself and more in a block of the value pool. Every
// presence map of the control-link messages fits in place, so a SEQUENCE
// needs no block of its own for its maps and the coders reach the bits
// without following a pointer. It offers the part of std::vector's
// interface that users of bit maps call.
#include "protocol/asn1/value/ValuePool.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace ASN1 {

class BitBytes {
public:
    typedef char value_type;
    typedef std::size_t size_type;
    typedef char& reference;
    typedef char const& const_reference;
    typedef char* iterator;
    typedef char const* const_iterator;

    static constexpr size_type inlineCapacity = sizeof(char*) > 8 ? sizeof(char*) : 8;

    BitBytes() = default;
    // A new object's place is all zero bytes: a small size needs no fill.
    explicit BitBytes(size_type n)
    {
        if (n <= inlineCapacity)
            size_ = static_cast<unsigned>(n);
        else
            resize(n);
    }
    BitBytes(BitBytes const& other) { assign(other.begin(), other.end()); }
    BitBytes(BitBytes&& other) noexcept { swap(other); }
    BitBytes& operator=(BitBytes const& other)
    {
        if (this != &other)
            assign(other.begin(), other.end());
        return *this;
    }
    BitBytes& operator=(BitBytes&& other) noexcept
    {
        BitBytes moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~BitBytes()
    {
        if (onHeap())
            ValuePool::release(storage_.heap, capacity_);
    }

    size_type size() const { return size_; }
    bool empty() const { return size_ == 0; }
    char* data() { return onHeap() ? storage_.heap : storage_.inPlace; }
    char const* data() const { return onHeap() ? storage_.heap : storage_.inPlace; }
    char& operator[](size_type i) { return data()[i]; }
    char const& operator[](size_type i) const { return data()[i]; }
    char& back() { return data()[size_ - 1]; }
    char const& back() const { return data()[size_ - 1]; }
    iterator begin() { return data(); }
    iterator end() { return data() + size_; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }

    // New bytes take the value `fill`.
    void resize(size_type n, char fill = 0)
    {
        reserve(n);
        if (n > size_)
            std::memset(data() + size_, fill, n - size_);
        size_ = static_cast<unsigned>(n);
    }
    void reserve(size_type n)
    {
        if (n > capacity_)
            grow(n);
    }
    void clear() { size_ = 0; }
    void push_back(char c)
    {
        reserve(size_ + 1);
        data()[size_++] = c;
    }
    template <class Iterator>
    void assign(Iterator first, Iterator last)
    {
        size_type const n = static_cast<size_type>(std::distance(first, last));
        size_ = 0;
        reserve(n);
        char* out = data();
        for (; first != last; ++first)
            *out++ = static_cast<char>(*first);
        size_ = static_cast<unsigned>(n);
    }
    void swap(BitBytes& other) noexcept
    {
        std::swap(storage_, other.storage_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    bool onHeap() const { return capacity_ > inlineCapacity; }
    void grow(size_type n)
    {
        if (n > 0xFFFFFFFFu)
            throw std::length_error("BitBytes");
        size_type const wanted = n > 2 * size_type(capacity_) ? n : 2 * size_type(capacity_);
        size_type const capacity = wanted > 0xFFFFFFFFu ? n : wanted;
        char* const heap = static_cast<char*>(ValuePool::allocate(capacity));
        std::memcpy(heap, data(), size_);
        if (onHeap())
            ValuePool::release(storage_.heap, capacity_);
        storage_.heap = heap;
        capacity_ = static_cast<unsigned>(capacity);
    }

    union Storage {
        char inPlace[inlineCapacity];
        char* heap;
    } storage_ = {};
    unsigned size_ = 0;
    unsigned capacity_ = inlineCapacity;
};

} // namespace ASN1
