#include <flitengine/outside/BlockArena.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

#if defined(__linux__)
constexpr bool kMapsLargestBlocks = true;

// bytes (a power of two and a multiple of the page size) of fresh memory aligned to bytes, or
// null. Twice as much is mapped, so that an aligned block lies inside, and the rest is unmapped
// at once.
void* mapAlignedBlock(std::size_t bytes) {
    const std::size_t span = 2 * bytes;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    // Pointer arithmetic on the mapping itself, so that the aligned block keeps its provenance.
    char* const base = static_cast<char*>(mapped);
    const std::size_t lead = (bytes - reinterpret_cast<std::uintptr_t>(mapped) % bytes) % bytes;
    char* const aligned = base + lead;
    if (lead > 0) {
        munmap(base, lead);
    }
    if (span > lead + bytes) {
        munmap(aligned + bytes, span - lead - bytes);
    }
    // Only advice: where huge pages are off or scarce the block has ordinary pages.
    madvise(aligned, bytes, MADV_HUGEPAGE);
    return aligned;
}

void unmapBlock(void* block, std::size_t bytes) {
    munmap(block, bytes);
}
#else
constexpr bool kMapsLargestBlocks = false;

void* mapAlignedBlock(std::size_t) {
    return nullptr;
}

void unmapBlock(void*, std::size_t) {}
#endif

} // namespace

CBlockArena::~CBlockArena() {
    for (void* block : blocks) {
        std::free(block);
    }
    for (void* block : mappedBlocks) {
        unmapBlock(block, kLargestBlockBytes);
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
    const bool mapped = kMapsLargestBlocks && bytes == kLargestBlockBytes;
    std::vector<void*>& kind = mapped ? mappedBlocks : blocks;
    // The slot is made before the block is taken, so that a failure cannot leak the block.
    kind.push_back(nullptr);
    kind.back() = mapped ? mapAlignedBlock(bytes) : std::malloc(bytes);
    if (kind.back() == nullptr) {
        kind.pop_back();
        throw std::bad_alloc();
    }
    return kind.back();
}
