#pragma once
// Free lists of small memory blocks for value trees. The control server
// decodes every frame into a tree of small objects (values, SEQUENCE field
// lists, presence maps) and drops the tree when the frame is handled; from
// the general heap that was a third of the decode time. Each value class
// (through AbstractData's operator new), each field list (FieldList) and
// each presence map too long to be kept in place (BitBytes) takes its block
// from the list of its size class instead: a pop from a singly linked list,
// and a push when it is released.
//
// Blocks come in sizes of `granule` octets up to `largestBlock`; larger
// requests go to the general heap. A list that runs empty is refilled with a
// chunk from the general heap; chunks are kept for the life of the process,
// so the pool holds as much as the most that was ever live at once (which
// the decoder's limits bound per frame). A released block is only on its
// free list, never reachable from a value; under AddressSanitizer it is
// poisoned until it is handed out again, so a use after release is still
// reported. The process is single-threaded and so is the pool.
#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define SERVER_POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define SERVER_POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define SERVER_POOL_POISON(p, n) ((void)(p), (void)(n))
#define SERVER_POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace ASN1 {

class ValuePool {
public:
    // A multiple of every fundamental alignment, so every block is aligned
    // as operator new's would be.
    static constexpr std::size_t granule = 16;
    static constexpr std::size_t largestBlock = 256;

    static void* allocate(std::size_t size)
    {
        if (size > largestBlock)
            return ::operator new(size);
        std::size_t const sizeClass = classOf(size);
        Block* const block = freeLists_[sizeClass];
        if (block == nullptr)
            return refill(sizeClass);
        SERVER_POOL_UNPOISON(block, blockSize(sizeClass));
        freeLists_[sizeClass] = block->next;
        return block;
    }

    // `size` is the size that allocate was asked for.
    static void release(void* p, std::size_t size) noexcept
    {
        if (p == nullptr)
            return;
        if (size > largestBlock) {
            ::operator delete(p);
            return;
        }
        std::size_t const sizeClass = classOf(size);
        Block* const block = static_cast<Block*>(p);
        block->next = freeLists_[sizeClass];
        freeLists_[sizeClass] = block;
        SERVER_POOL_POISON(block, blockSize(sizeClass));
    }

private:
    struct Block {
        Block* next;
    };
    static constexpr std::size_t classCount = largestBlock / granule;

    static std::size_t classOf(std::size_t size) { return size == 0 ? 0 : (size - 1) / granule; }
    static std::size_t blockSize(std::size_t sizeClass) { return (sizeClass + 1) * granule; }
    // Takes a new chunk for the class, puts all its blocks but one on the
    // free list and returns that one.
    static void* refill(std::size_t sizeClass);

    static inline Block* freeLists_[classCount] = {};
};

} // namespace ASN1
