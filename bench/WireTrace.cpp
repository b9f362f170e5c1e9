#include "bench/WireTrace.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace bench {

std::vector<Access> ReadTrace(const std::string& path) {
    std::vector<Access> trace;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return trace;
    Access a{};
    while (std::fscanf(file, "%lf %c %x %x", &a.us, &a.kind, &a.address, &a.value) == 4) trace.push_back(a);
    std::fclose(file);
    return trace;
}

SpiClock MeasureSpiClock(const std::vector<Access>& trace, unsigned base) {
    constexpr unsigned kSck = 0x10;
    SpiClock clock;
    std::vector<double> rising;
    auto closeWord = [&] {
        if (rising.size() == 32) {
            ++clock.words;
            for (std::size_t i = 0; i + 1 < rising.size(); ++i) {
                if (i == 23) continue;
                ++clock.periods;
                clock.us += rising[i + 1] - rising[i];
            }
        }
        rising.clear();
    };
    // 0: next is SCK low; 1: SCK low seen, next is the status read; 2: next is SCK high.
    int step = 0;
    for (const Access& a : trace) {
        const bool dataWrite = a.kind == 'W' && a.address == base;
        const bool low = dataWrite && !(a.value & kSck), high = dataWrite && (a.value & kSck);
        const bool statusRead = a.kind == 'R' && a.address == base + 1;
        if (step == 1 && statusRead) {
            step = 2;
        } else if (step == 2 && high) {
            rising.push_back(a.us);
            step = 0;
        } else if (low) {
            // SCK low twice over: the end of one word and the start of the next.
            if (step != 0) closeWord();
            step = 1;
        } else {
            closeWord();
            step = 0;
        }
    }
    closeWord();
    return clock;
}

Spread SpreadOf(std::vector<double> values) {
    Spread s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    s.count = values.size();
    s.median = values[values.size() / 2];
    s.shortest = values.front();
    s.longest = values.back();
    return s;
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("tessary_bench_" + name)).string();
}

}  // namespace bench
