// The debugger's two most frequent operations through the monitor driver, one at a
// time: a single step and a 2 KiB XDATA read (the whole served XDATA), each timed and
// set beside the wire time of the bytes it exchanges (10 bits a byte at the link's bit
// rate). Goal: at most 1.3 times the wire time.
//
//   bench_monitor_debug --port /dev/pts/N    (the pty of kx6500-sim --wire-time)
//   bench_monitor_debug --fake-monitor       (the tests' fake monitor, unpaced)
//
// The goal is met or missed only against a target that keeps the wire's pace; the fake
// monitor answers at once, so its ratios show the PC side's own cost.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/MonitorBenchParts.h"
#include "monitor/driver/MonitorDriver.h"
#include "monitor/linux/SystemServices.h"
#include "monitor/linux/TermiosPort.h"
#include "tests/monitor/PtyPeer.h"

using namespace kx6500mon;

namespace {

constexpr double kGoal = 1.3;
constexpr std::uint32_t kLoop = 0x0100;

struct Sample {
    double seconds;
    double wireSeconds;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Report(const char* what, const std::vector<Sample>& samples, bool paced) {
    std::vector<double> times, wires;
    for (const Sample& s : samples) {
        times.push_back(s.seconds);
        wires.push_back(s.wireSeconds);
    }
    const double t = Median(times), w = Median(wires);
    const double ratio = w > 0 ? t / w : 0;
    std::printf("%s: %zu timed, median %.3f ms, wire time %.3f ms, ratio %.2f; goal (at most %.1f): %s\n", what,
                samples.size(), t * 1e3, w * 1e3, ratio, kGoal,
                !paced ? "not judged (unpaced target)" : ratio <= kGoal ? "met" : "missed");
}

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    bool fake = false;
    double clockHz = 14745600;
    int steps = 1000, reads = 50;
    CLI::App app{"bench_monitor_debug: the time of one step and of a 2 KiB XDATA read beside their wire time"};
    app.add_option("--port", port, "the serial device or pseudo-terminal of the target");
    app.add_flag("--fake-monitor", fake, "serve the tests' fake monitor on a pseudo-terminal of its own");
    app.add_option("--clock", clockHz, "target clock in Hz; the bit rate follows it")->capture_default_str();
    app.add_option("--steps", steps, "single steps to time")->capture_default_str();
    app.add_option("--reads", reads, "2 KiB XDATA reads to time")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    if (port.empty() == !fake) {
        std::fprintf(stderr, "bench_monitor_debug: give --port PATH or --fake-monitor\n");
        return 1;
    }
    std::unique_ptr<testing::PtyPeer> peer;
    if (fake) {
        peer = std::make_unique<testing::PtyPeer>();
        port = peer->SlavePath();
    }
    setenv("KX6500MON_COM1", port.c_str(), 1);

    TermiosPort termios;
    CountingPort counting(termios);
    SystemClock clock;
    NullTrace out;
    MonitorTrace trace(out, clock);
    QuietNotifier notifier;
    HostLinks links;
    MonitorDriver driver(counting, clock, notifier, trace, links);
    // A host without a memory image: nothing is cached, every read goes to the target.
    HostInterface record{};
    char options[HOST_OPTION_TEXT_SIZE] = "-S1";
    record.clockHz = static_cast<std::uint32_t>(clockHz);
    record.optionText = options;
    record.optionTextSize = sizeof options;
    driver.EnumUv351(&record, 2);
    std::uint32_t pc = 0;
    driver.Init(AG_INIT_PC_VARIABLE, &pc);
    if (driver.Init(AG_INIT_START, nullptr) != 0) {
        std::fprintf(stderr, "bench_monitor_debug: no monitor answers on %s\n", port.c_str());
        return 1;
    }
    // The steps go round a jump to itself at 0x0100, put there as the debugger would.
    {
        std::uint8_t loop[] = {0x80, 0xFE};  // SJMP $
        HostAddress a{HOST_ADDRESS(HOST_SPACE_CODE, kLoop), 0};
        std::uint32_t pcValue = HOST_ADDRESS(HOST_SPACE_CODE, kLoop);
        if (driver.MemAcc(AG_MEM_WRITE, loop, &a, sizeof loop) != AG_OK || driver.RegAcc(2, 0x500, &pcValue) != AG_OK) {
            std::fprintf(stderr, "bench_monitor_debug: the loop at 0x%04X could not be written\n", kLoop);
            driver.Init(AG_INIT_END, nullptr);
            return 1;
        }
    }
    const int rate = driver.Settings().bitRate;
    const double byteSeconds = 10.0 / rate;
    std::printf("target %s at %d bit/s%s\n", port.c_str(), rate, fake ? " (the tests' fake monitor, unpaced)" : "");

    auto timed = [&](auto operation) {
        counting.bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        operation();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return Sample{seconds, static_cast<double>(counting.bytes) * byteSeconds};
    };

    std::vector<Sample> stepSamples;
    for (int i = 0; i < steps && !driver.Link().Failed(); ++i)
        stepSamples.push_back(timed([&] { driver.GoStep(AG_GO_STEP, 1, 0); }));
    Report("step", stepSamples, !fake);

    std::vector<Sample> readSamples;
    std::vector<std::uint8_t> bytes(0x800);
    int failed = 0;
    for (int i = 0; i < reads && !driver.Link().Failed(); ++i) {
        readSamples.push_back(timed([&] {
            HostAddress a{HOST_ADDRESS(HOST_SPACE_XDATA, 0), 0};
            failed += driver.MemAcc(AG_MEM_READ, bytes.data(), &a, static_cast<std::uint32_t>(bytes.size())) != AG_OK;
        }));
    }
    Report("2 KiB XDATA read", readSamples, !fake);
    const LinkStats& stats = driver.Link().Stats();
    std::printf("link: %ld exchanges, %ld resent, %ld failed, %ld resynchronisations; %d reads failed\n",
                stats.exchanges, stats.resends, stats.failedExchanges, stats.resyncs, failed);
    driver.Init(AG_INIT_END, nullptr);
    return driver.Link().Stats().failedExchanges == 0 ? 0 : 2;
}
