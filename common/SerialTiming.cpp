#include "common/SerialTiming.h"

#include <cmath>

namespace tessary {

SerialTiming SerialTimingFromClock(double f) {
    const double base = f * 1e6 / 64;
    auto next = [](int r) { return r == 57600 ? 38400 : r / 2; };
    // The search steps from 115200 before its first try, so 57600 is the fastest rate;
    // the rates go down by halves and a clock no rate fits ends at the slowest tried.
    int rate = 115200;
    int reload = 0;
    do {
        rate = next(rate);
        reload = static_cast<int>(static_cast<long long>(std::trunc(256.5 - base / rate)) & 0xFF);
        const double actual = base / (256 - reload);
        if (std::fabs(rate - actual) / rate <= 0.04) break;
    } while (rate > 75);
    return {reload, static_cast<int>(std::trunc(f / 0.8 + 1)), rate};
}

}  // namespace tessary
