#include <flitengine/engine/RenderLatency.h>

#include <algorithm>

void CRenderLatency::add(std::chrono::microseconds latency) {
    samples[count % kWindow] = std::max(latency, std::chrono::microseconds::zero());
    ++count;
}

std::chrono::microseconds CRenderLatency::estimate() const {
    const size_t n = size();
    if (n == 0) {
        return std::chrono::microseconds::zero();
    }
    // A copy, so the order of arrival is kept for the window; kWindow values are cheap to sort.
    std::chrono::microseconds sorted[kWindow];
    std::copy(samples, samples + n, sorted);
    std::chrono::microseconds* middle = sorted + (n - 1) / 2;
    std::nth_element(sorted, middle, sorted + n);
    return *middle;
}

std::chrono::microseconds CRenderLatency::warning() const {
    const size_t n = size();
    if (n == 0) {
        return std::chrono::microseconds::zero();
    }
    std::chrono::microseconds sorted[kWindow];
    std::copy(samples, samples + n, sorted);
    std::sort(sorted, sorted + n);
    const std::chrono::microseconds longest = sorted[n >= kTrimFrom ? n - 2 : n - 1];
    return longest + (longest - sorted[0]) / static_cast<long>(n);
}

void CPacingDebt::add(std::chrono::microseconds latency, std::chrono::microseconds early) {
    behind = std::clamp(behind + latency - early, -kMaxBehind, kMaxBehind);
}

std::chrono::microseconds CPacingDebt::catchUp() const {
    return std::clamp(behind / 2, -kMaxCatchUp, kMaxCatchUp);
}
