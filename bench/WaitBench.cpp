// Overshoot of lptlinkWaitAtLeast: how much longer than asked each wait takes, as
// measured by the monotonic clock around the call. Goal on an idle machine: median at
// most 2 us, p99 at most 20 us.
//   bench_wait [CALLS]   (default 1000 calls per duration)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lptlink/lptlink.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_wait [CALLS]\nPrints the overshoot of lptlinkWaitAtLeast(n) for n = 0, 1, 10, 100, "
                    "200, 1000 and 20000 us.\n");
        return 0;
    }
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    using clock = std::chrono::steady_clock;
    std::printf("%8s %10s %10s %10s %10s   (overshoot in us over %d calls)\n", "wait us", "min", "median", "p99",
                "max", calls);
    bool met = true;
    for (int n : {0, 1, 10, 100, 200, 1000, 20000}) {
        std::vector<double> over;
        over.reserve(static_cast<std::size_t>(calls));
        for (int i = 0; i < calls; ++i) {
            const auto start = clock::now();
            lptlinkWaitAtLeast(n);
            const auto took = std::chrono::duration<double, std::micro>(clock::now() - start).count();
            over.push_back(took - n);
        }
        std::sort(over.begin(), over.end());
        const double median = over[over.size() / 2];
        const double p99 = over[std::min(over.size() - 1, over.size() * 99 / 100)];
        std::printf("%8d %10.3f %10.3f %10.3f %10.3f\n", n, over.front(), median, p99, over.back());
        met = met && median <= 2 && p99 <= 20 && over.front() >= 0;
    }
    std::printf("goal (median <= 2 us, p99 <= 20 us, never short): %s\n", met ? "met" : "NOT met");
    return 0;
}
