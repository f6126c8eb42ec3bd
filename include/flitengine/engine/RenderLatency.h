#ifndef FLIT_ENGINE_RENDERLATENCY_H
#define FLIT_ENGINE_RENDERLATENCY_H

#include <flitengine/FlitExport.h>

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
    // The warning a host that shows each event at its time is given, so that it is rarely
    // late: the longest of the waits taken since the last reset, plus their spread (longest
    // less shortest) over their number, since the fewer waits have been seen the likelier the
    // next is longer than all of them. Of kTrimFrom waits or more the longest is left out, so
    // that one stray wait (the host busy with something else once) does not stand for the
    // host. Zero before the first.
    static const size_t kTrimFrom = 8;
    std::chrono::microseconds warning() const;
    void reset() { count = 0; }
    size_t size() const { return count < kWindow ? count : kWindow; }

private:
    std::chrono::microseconds samples[kWindow] = {};
    // Waits taken since the reset; the newest is at (count - 1) % kWindow.
    size_t count = 0;
};

// How far the renders of a reading have fallen behind the computed times, added up since the
// last restart: each render that came later than its sleep allowed for adds the difference, and
// one that came sooner takes it off. A slow render (the host busy with something else) would
// otherwise lengthen the whole reading by its delay, since every later time counts from it. Half
// of what is owed is made up in the next sleep, at most kMaxCatchUp, so that a slow render is
// spread over the intervals after it where it cannot be seen, and steady jitter is not doubled
// by being paid back at once. What a host slower than an interval runs over is not counted (the
// thread leaves those intervals out), and what is owed stops growing at kMaxBehind.
class FLIT_EXPORT CPacingDebt {
public:
    static constexpr std::chrono::microseconds kMaxCatchUp{1000};
    static constexpr std::chrono::microseconds kMaxBehind{20000};

    // A render latency microseconds after the post, whose sleep ended early before it.
    void add(std::chrono::microseconds latency, std::chrono::microseconds early);
    // How much earlier than the computed time the next sleep ends to make up for lost time;
    // negative when the renders have run ahead.
    std::chrono::microseconds catchUp() const;
    void reset() { behind = std::chrono::microseconds::zero(); }

private:
    std::chrono::microseconds behind{0};
};

#endif
