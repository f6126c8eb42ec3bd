#ifndef FLIT_APP_POSITIONHISTORY_H
#define FLIT_APP_POSITIONHISTORY_H

#include <cstddef>
#include <deque>

// The places that moves of more than a sentence left in the open document (Home, the progress
// strip, a chapter, the library, a search), as word indices, for Go > Back and Go > Forward as a
// web browser has them: Back returns to the place the last jump left and keeps the place it
// leaves to go forward to again; a new jump forgets the places gone back from. A place equal to
// the one before it is kept once, and only the last few places are kept. Needs no window.
class CPositionHistory {
public:
    static const size_t kDefaultLimit = 100;

    explicit CPositionHistory(size_t maxPlaces = kDefaultLimit) : limit(maxPlaces) {}

    // A jump from the word at index from to the word at index to; none when they are the same.
    void jumped(size_t from, size_t to);
    // Back from the word at index at: *to is where to go, and at is kept to go forward to.
    // False when there is no place to go back to other than at.
    bool back(size_t at, size_t* to) { return step(backward, ahead, at, to); }
    // Forward from the word at index at, the way back came; false when there is nowhere.
    bool forward(size_t at, size_t* to) { return step(ahead, backward, at, to); }
    bool canGoBack() const { return !backward.empty(); }
    bool canGoForward() const { return !ahead.empty(); }
    // Another document is open: its places mean nothing.
    void clear();

private:
    // Takes the last place of from that is not at, and keeps at in other.
    bool step(std::deque<size_t>& from, std::deque<size_t>& other, size_t at, size_t* to);
    // Adds place to places unless it is already the last, dropping the oldest beyond the limit.
    void keep(std::deque<size_t>& places, size_t place) const;

    size_t limit;
    // The places to go back to and to go forward to, the nearest last.
    std::deque<size_t> backward;
    std::deque<size_t> ahead;
};

#endif
