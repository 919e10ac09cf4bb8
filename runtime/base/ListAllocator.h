#pragma once
// A fixed pool of N objects of type T with a free list. Every object lives
// in a storage block whose first two words are the free-list links; the pool
// hands out the object of the block at the head of the free list and takes
// released ones back at the tail, so objects are reused first-in first-out.
// Allocation and release are constant time and never touch the heap. The
// objects are default-constructed once with the pool and never destroyed
// (T must be trivially destructible); a user may construct a fresh object
// in place over the one it was handed.
#include "runtime/base/F_dual_list.h"

#include <cstddef>
#include <type_traits>

// The lock of a pool used by one thread only.
struct Dummy_critical_section {
    void enter() {}
    void leave() {}
};

template <class T, unsigned N, class CriticalSection = Dummy_critical_section>
class List_allocator {
public:
    // Every block starts with null links and a default-constructed object;
    // the free list then holds all of them in address order.
    List_allocator()
    {
        for (Block& block : blocks_)
            free_list_.insert_to_tail(&block);
    }
    List_allocator(List_allocator const&) = delete;
    List_allocator& operator=(List_allocator const&) = delete;

    // The object of the block at the head of the free list; null when none
    // is left.
    T* allocate()
    {
        lock_.enter();
        Block* block = free_list_.remove_from_head();
        lock_.leave();
        return block ? &block->object : nullptr;
    }

    // Puts the object's block at the tail of the free list.
    void deallocate(T* object)
    {
        Block* block = block_of(object);
        lock_.enter();
        free_list_.insert_to_tail(block);
        lock_.leave();
    }

    unsigned free_count() const { return free_list_.count(); }
    static constexpr unsigned capacity() { return N; }

private:
    struct Block : F_dual_list_item<Block> {
        T object;
    };
    static_assert(std::is_trivially_destructible<T>::value, "pool objects are never destroyed");

    // The blocks form an array, so an object's block follows from its
    // distance to the first object.
    Block* block_of(T* object)
    {
        char* first = reinterpret_cast<char*>(&blocks_[0].object);
        char* at = reinterpret_cast<char*>(object);
        return &blocks_[static_cast<std::size_t>(at - first) / sizeof(Block)];
    }

    Block blocks_[N];
    F_dual_list<Block> free_list_;
    CriticalSection lock_;
};
