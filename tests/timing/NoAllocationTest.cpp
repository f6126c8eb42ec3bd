// Counts every allocation of the process while calculations run: a calculation must allocate
// nothing.

#include <flitengine/timing/FlitWordCalcs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(FlitWordCalcsAllocation, CalculationsAllocateNothing) {
    CFlitWordCalcs calcs;
    const long before = allocations.load();
    int sink = 0;
    for (const char* word :
         {"Smith,", "the", "reading", "NASA", "end.", "1999", "Dr.", "(aside)"}) {
        for (int speed : {60, 100, 175, 250, 300, 700, 950, 2000}) {
            sink += calcs.calcWordDisplayTime(word, speed);
            sink += calcs.calcInterWordDelayTime(word, ' ', speed);
            sink += calcs.calcRestDelay(2, speed) + calcs.calcSustainDelay(1, speed);
        }
    }
    EXPECT_EQ(before, allocations.load());
    EXPECT_GT(sink, 0);
}
