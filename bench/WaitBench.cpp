// Overshoot of lptlinkWaitAtLeast, the busy wait: how much longer than asked each wait
// takes, by the monotonic clock around the call. Goal on an idle machine: median at
// most 1 us at every row, none short. Then the pause, lptlinkSleepAtLeast: its
// overshoot and the share of it the thread spent on the processor (the rest it slept).
//   bench_wait [CALLS]   (default 1000 calls per duration)

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "lptlink/lptlink.h"

namespace {

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Figures {
    double min, median, p99, max;
};

template <typename F>
Figures Overshoot(int calls, double floorUs, F call) {
    using clock = std::chrono::steady_clock;
    std::vector<double> over;
    over.reserve(static_cast<std::size_t>(calls));
    for (int i = 0; i < calls; ++i) {
        const auto start = clock::now();
        call();
        over.push_back(std::chrono::duration<double, std::micro>(clock::now() - start).count() - floorUs);
    }
    std::sort(over.begin(), over.end());
    return {over.front(), over[over.size() / 2], over[std::min(over.size() - 1, over.size() * 99 / 100)], over.back()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_wait [CALLS]\nPrints the overshoot of lptlinkWaitAtLeast(n) for n = 0, 1, 10, 100, "
                    "200, 1000, 4000 and 20000 us,\nthen of lptlinkSleepAtLeast(1) and (20) with the share of the pause "
                    "spent on the processor.\n");
        return 0;
    }
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    std::printf("%8s %10s %10s %10s %10s   (overshoot of lptlinkWaitAtLeast in us over %d calls)\n", "wait us", "min",
                "median", "p99", "max", calls);
    bool met = true;
    for (int n : {0, 1, 10, 100, 200, 1000, 4000, 20000}) {
        const Figures f = Overshoot(calls, n, [n] { lptlinkWaitAtLeast(n); });
        std::printf("%8d %10.3f %10.3f %10.3f %10.3f\n", n, f.min, f.median, f.p99, f.max);
        met = met && f.median <= 1 && f.min >= 0;
    }
    std::printf("goal (median <= 1 us at every row, never short): %s\n\n", met ? "met" : "NOT met");

    std::printf("%8s %10s %10s %10s %10s %10s   (overshoot of lptlinkSleepAtLeast in us)\n", "pause ms", "min",
                "median", "p99", "max", "on cpu");
    for (int ms : {1, 20}) {
        const int n = ms == 1 ? calls : std::max(1, calls / 10);
        const double cpu = ThreadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const Figures f = Overshoot(n, ms * 1000.0, [ms] { lptlinkSleepAtLeast(ms); });
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%8d %10.3f %10.3f %10.3f %10.3f %9.1f%%\n", ms, f.min, f.median, f.p99, f.max,
                    100 * (ThreadCpuSeconds() - cpu) / wall);
    }
    return 0;
}
