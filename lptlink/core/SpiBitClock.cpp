#include "lptlink/core/SpiBitClock.h"

#include <algorithm>

namespace lptlink {

void SpiBitClock::Start(std::uint64_t frequency, int bitsPerSecond, std::uint64_t lead) {
    Reset();
    if (frequency == 0) return;
    const auto rate = static_cast<std::uint64_t>(std::max(bitsPerSecond, 1));
    // Rounded up: a period a fraction of a tick long would be a clock too fast.
    period_ = std::max<std::uint64_t>((frequency + rate - 1) / rate, 1);
    readWait_ = (frequency + 99999) / 100000;
    lead_ = lead;
}

void SpiBitClock::ObserveLead(std::uint64_t ticks) {
    if (!Paced()) return;
    samples_[count_++] = ticks;
    if (count_ < kSamples) return;
    count_ = 0;
    const auto middle = samples_.begin() + kSamples / 4;
    std::nth_element(samples_.begin(), middle, samples_.end());
    lead_ = *middle;
}

}  // namespace lptlink
