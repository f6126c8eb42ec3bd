#include "outside/BlockArena.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

CBlockArena::~CBlockArena() {
    for (void* block : blocks) {
        std::free(block);
    }
}

void* CBlockArena::allocate(std::size_t size, std::size_t align) {
    const std::size_t offset = (currentUsed + align - 1) & ~(align - 1);
    if (current != nullptr && offset <= currentSize && size <= currentSize - offset) {
        currentUsed = offset + size;
        return current + offset;
    }
    // What is left of the current block is too small. A request larger than the next block gets
    // a block of its own, and the current one goes on filling.
    if (size > nextBlockBytes) {
        return newBlock(size);
    }
    current = static_cast<char*>(newBlock(nextBlockBytes));
    currentSize = nextBlockBytes;
    currentUsed = size;
    nextBlockBytes = std::min(nextBlockBytes * 2, kLargestBlockBytes);
    return current;
}

void* CBlockArena::newBlock(std::size_t bytes) {
    // The slot is made before the block is taken, so that a failure cannot leak the block.
    blocks.push_back(nullptr);
    void*& block = blocks.back();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes == kLargestBlockBytes) {
        if (posix_memalign(&block, kLargestBlockBytes, bytes) != 0) {
            block = nullptr;
        } else {
            // Only advice: where huge pages are off or scarce the block has ordinary pages.
            madvise(block, bytes, MADV_HUGEPAGE);
        }
    } else {
        block = std::malloc(bytes);
    }
#else
    block = std::malloc(bytes);
#endif
    if (block == nullptr) {
        blocks.pop_back();
        throw std::bad_alloc();
    }
    return block;
}
