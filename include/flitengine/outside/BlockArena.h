#ifndef FLIT_OUTSIDE_BLOCKARENA_H
#define FLIT_OUTSIDE_BLOCKARENA_H

#include <cstddef>
#include <vector>

// Memory for many small objects that all live exactly as long as their owner: handed out in
// order from large blocks and given back all at once when the arena goes. Nothing is freed
// singly, so no object pays the allocator's header and rounding (16 bytes and more on each of a
// long book's millions of items). Whoever puts an object in the arena also ends it before the
// arena goes.
//
// Blocks grow from kFirstBlockBytes to kLargestBlockBytes, so a short text stays small; a
// request larger than the next block gets a block of its own. On Linux the largest blocks are
// mapped from the system directly, aligned to their size and offered to the kernel as huge
// pages: a book's hundred megabytes then cost some fifty page faults rather than thirty
// thousand, which is most of the time it takes to build a long document in memory new to the
// process, and they go back to the system as soon as the arena goes.
class CBlockArena {
public:
    static constexpr std::size_t kFirstBlockBytes = 4096;
    static constexpr std::size_t kLargestBlockBytes = std::size_t{2} * 1024 * 1024;

    CBlockArena() = default;
    ~CBlockArena();
    CBlockArena(const CBlockArena&) = delete;
    CBlockArena& operator=(const CBlockArena&) = delete;

    // size bytes at a multiple of align, a power of two no larger than alignof(max_align_t).
    // Throws std::bad_alloc when the system has no memory for a new block.
    void* allocate(std::size_t size, std::size_t align);

private:
    void* newBlock(std::size_t bytes);

    // Blocks from malloc, and the largest blocks where they are mapped from the system.
    std::vector<void*> blocks;
    std::vector<void*> mappedBlocks;
    // The block being filled, its size and the bytes of it handed out.
    char* current = nullptr;
    std::size_t currentSize = 0;
    std::size_t currentUsed = 0;
    std::size_t nextBlockBytes = kFirstBlockBytes;
};

#endif
