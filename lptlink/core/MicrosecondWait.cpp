#include "lptlink/core/MicrosecondWait.h"

namespace lptlink {

void MicrosecondWait::WaitAtLeast(int microseconds, const volatile unsigned char* keepWarm) {
    if (ticksPerMicrosecond_ == 0) {
        std::uint64_t frequency = 0;
        // A counter slower than 500 kHz rounds to 0 ticks per microsecond and every
        // wait then ends at once; a missing counter gives all ones, whose product
        // wraps to a target in the past.
        ticksPerMicrosecond_ = counter_.Frequency(frequency) ? (frequency + 500000) / 1000000 : ~std::uint64_t{0};
    }
    const std::uint64_t start = counter_.Now();
    const std::uint64_t target =
        start + static_cast<std::uint64_t>(static_cast<std::int64_t>(microseconds)) * ticksPerMicrosecond_;
    std::uint64_t now = start;
    while (static_cast<std::int64_t>(target - now) > 0) {
        if (keepWarm) (void)*keepWarm;
        now = counter_.Now();
    }
}

}  // namespace lptlink
