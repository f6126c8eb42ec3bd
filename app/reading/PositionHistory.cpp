#include "reading/PositionHistory.h"

void CPositionHistory::jumped(size_t from, size_t to) {
    if (from == to) {
        return;
    }
    keep(backward, from);
    ahead.clear();
}

bool CPositionHistory::step(std::deque<size_t>& from, std::deque<size_t>& other, size_t at,
                            size_t* to) {
    // A place the user has since come back to by other moves is no step at all.
    while (!from.empty() && from.back() == at) {
        from.pop_back();
    }
    if (from.empty()) {
        return false;
    }
    *to = from.back();
    from.pop_back();
    keep(other, at);
    return true;
}

void CPositionHistory::keep(std::deque<size_t>& places, size_t place) const {
    if (!places.empty() && places.back() == place) {
        return;
    }
    places.push_back(place);
    while (places.size() > limit) {
        places.pop_front();
    }
}

void CPositionHistory::clear() {
    backward.clear();
    ahead.clear();
}
