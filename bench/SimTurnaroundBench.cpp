// The virtual target's turnaround through its pseudo-terminal: a status poll and a
// 128-byte XDATA read, from the first byte of the request written to the last byte of
// the reply read, unpaced and with --wire-time at 57 600 bit/s, beside the wire time of
// the bytes exchanged (10 bit times a byte).
//
// Goals: unpaced median below 1 ms; paced median within 5 % of the wire time.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tests/sim/MonitorClient.h"
#include "tests/support/SimProcess.h"

using simtest::Bytes;
using simtest::MonitorClient;

namespace {

struct Figures {
    double medianMs = 0, p90Ms = 0;
    int failed = 0;
};

template <typename Exchange>
Figures Time(int count, Exchange exchange) {
    std::vector<double> ms;
    Figures f;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = exchange();
        const double t = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (ok) ms.push_back(t);
        else ++f.failed;
    }
    if (ms.empty()) return f;
    std::sort(ms.begin(), ms.end());
    f.medianMs = ms[ms.size() / 2];
    f.p90Ms = ms[ms.size() * 9 / 10];
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 300;
    CLI::App app{"bench_sim_turnaround: kx6500-sim's turnaround of a status poll and a 128-byte XDATA read\n"
                 "through its pseudo-terminal, unpaced and with --wire-time at 57600 bit/s (kx6500-sim from\n"
                 "$TESSARY_BIN, else build/bin)"};
    app.add_option("--count", count, "exchanges of each kind")->capture_default_str()->check(CLI::Range(10, 100000));
    CLI11_PARSE(app, argc, argv);

    constexpr int kRate = 57600;
    constexpr double kByteMs = 10.0 * 1000 / kRate;
    constexpr int kPollBytes = 1 + 5, kReadBytes = 7 + 4 + 128;
    bool allMet = true;
    for (const bool paced : {false, true}) {
        std::vector<std::string> args;
        if (paced) args.push_back("--wire-time");
        args.push_back("--quiet");
        tessary::testing::SimProcess sim(args, {{"LPTLINK_SIM_FLASH", ""}});
        if (!sim.Started()) {
            std::fprintf(stderr, "bench_sim_turnaround: kx6500-sim did not start: %s\n", sim.Err().c_str());
            return 1;
        }
        MonitorClient client(sim.PtyPath(), kRate);
        if (!client.WaitReady()) {
            std::fprintf(stderr, "bench_sim_turnaround: the monitor did not answer\n");
            return 1;
        }
        const Figures poll = Time(count, [&client] { return client.Poll(500) == 0x00; });
        const Figures read = Time(count, [&client] { return client.Read(0x11, 0x0100, 128).has_value(); });
        sim.Stop();
        const char* mode = paced ? "with --wire-time at 57600 bit/s" : "unpaced";
        std::printf("%s:\n", mode);
        const std::pair<const char*, std::pair<Figures, int>> rows[] = {{"status poll", {poll, kPollBytes}},
                                                                         {"128-byte XDATA read", {read, kReadBytes}}};
        for (const auto& [name, row] : rows) {
            const auto& [f, bytes] = row;
            const double wire = bytes * kByteMs;
            bool met;
            if (paced) met = f.medianMs >= wire * 0.95 && f.medianMs <= wire * 1.05;
            else met = f.medianMs < 1.0;
            met = met && f.failed == 0;
            allMet = allMet && met;
            std::printf("  %-20s median %.3f ms, 90th %.3f ms, %d failed; wire time %.3f ms (%d bytes), ratio %.3f; "
                        "goal %s: %s\n",
                        name, f.medianMs, f.p90Ms, f.failed, wire, bytes, f.medianMs / wire,
                        paced ? "within 5 % of the wire time" : "median below 1 ms", met ? "met" : "NOT met");
        }
    }
    return allMet ? 0 : 2;
}
