#include "lptlink/core/PreciseSleep.h"

#include <algorithm>

namespace lptlink {

std::int64_t PreciseSleep::MarginNs() const {
    const std::size_t n = std::min(seen_, lateness_.size());
    if (n < lateness_.size() / 2) return kInitialMarginNs;
    // Wake early enough for seven wake-ups in eight: the rest overshoot by what they
    // were later than that, and one slow wake-up moves the margin by one place only.
    std::array<std::int64_t, 16> sorted = lateness_;
    std::sort(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n));
    const std::int64_t high = sorted[(n * 7) / 8];
    return std::clamp(high, kMinMarginNs, kMaxMarginNs);
}

void PreciseSleep::Learn(std::int64_t latenessNs) {
    lateness_[seen_ % lateness_.size()] = std::max<std::int64_t>(latenessNs, 0);
    ++seen_;
}

void PreciseSleep::SleepAtLeast(std::int64_t nanoseconds) {
    const std::uint64_t start = clock_.NowNs();
    if (nanoseconds <= 0) return;
    const std::uint64_t deadline = start + static_cast<std::uint64_t>(nanoseconds);
    const std::int64_t margin = std::min(MarginNs(), nanoseconds / 4);
    const std::uint64_t wake = deadline - static_cast<std::uint64_t>(margin);
    std::uint64_t now = start;
    // A signal may end the sleep early: sleep again to the same wake-up time.
    while (static_cast<std::int64_t>(wake - now) > 0) {
        clock_.SleepUntilNs(wake);
        now = clock_.NowNs();
    }
    Learn(static_cast<std::int64_t>(now - wake));
    while (static_cast<std::int64_t>(deadline - now) > 0) now = clock_.NowNs();
}

}  // namespace lptlink
