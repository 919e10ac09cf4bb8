#include "protocol/asn1/value/ValuePool.h"

namespace ASN1 {

namespace {

// A chunk of blocks of one size class. The chunks are chained from
// `chunks` so that they stay reachable (leak checkers see them as held).
struct Chunk {
    Chunk* previous;
};
Chunk* chunks = nullptr;

constexpr std::size_t chunkOctets = 4096;

} // namespace

void* ValuePool::refill(std::size_t sizeClass)
{
    std::size_t const size = blockSize(sizeClass);
    // The header takes a whole block, so the blocks after it stay aligned.
    std::size_t const count = chunkOctets / size > 2 ? chunkOctets / size - 1 : 2;
    char* const memory = static_cast<char*>(::operator new(size * (count + 1)));
    Chunk* const chunk = reinterpret_cast<Chunk*>(memory);
    chunk->previous = chunks;
    chunks = chunk;
    char* const first = memory + size;
    // Blocks 1 .. count-1 go on the free list in address order; block 0 is
    // handed out.
    for (std::size_t i = count - 1; i >= 1; --i) {
        Block* const block = reinterpret_cast<Block*>(first + i * size);
        block->next = freeLists_[sizeClass];
        freeLists_[sizeClass] = block;
        SERVER_POOL_POISON(block, size);
    }
    return first;
}

} // namespace ASN1
