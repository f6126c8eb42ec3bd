#ifndef FLIT_ENGINE_RENDERLATENCY_H
#define FLIT_ENGINE_RENDERLATENCY_H

#include "FlitExport.h"

#include <chrono>
#include <cstddef>

// A running estimate of how long the host takes from a post to its render signal: the median of
// the last kWindow waits. The median follows a host whose speed changes within a few dozen
// events, and a single slow render (a background picture loading) does not move it. Of an even
// number of waits the lower middle one is taken, so that the estimate leans towards ending a
// sleep too late rather than too early.
class FLIT_EXPORT CRenderLatency {
public:
    static const size_t kWindow = 32;

    // Takes one wait; a negative one (a clock read out of order) counts as none.
    void add(std::chrono::microseconds latency);
    // The median of the waits taken since the last reset; zero before the first.
    std::chrono::microseconds estimate() const;
    void reset() { count = 0; }
    size_t size() const { return count < kWindow ? count : kWindow; }

private:
    std::chrono::microseconds samples[kWindow] = {};
    // Waits taken since the reset; the newest is at (count - 1) % kWindow.
    size_t count = 0;
};

#endif
