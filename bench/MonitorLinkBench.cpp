// The monitor link's speed and robustness on a real serial device or pseudo-terminal:
// status polls per second, connect time, and exchanges under faults, each beside the
// time its bytes take on the wire at the bit rate (10 bits a byte).
//
//   bench_monitor_link --port /dev/pts/N          (the pty a running kx6500-sim prints)
//   bench_monitor_link --fake-monitor [--drop P --flip P]
//
// --fake-monitor serves the tests' small fake monitor on a pseudo-terminal of its own:
// figures of the PC side alone, not of the virtual target.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/MonitorBenchParts.h"
#include "monitor/core/MonitorCommands.h"
#include "monitor/linux/SystemServices.h"
#include "monitor/linux/TermiosPort.h"
#include "tests/monitor/PtyPeer.h"

using namespace kx6500mon;

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    bool fake = false;
    double drop = 0, flip = 0;
    int rate = 57600, polls = 2000, connects = 20, exchanges = 1000;
    CLI::App app{"bench_monitor_link: status polls, connect time and exchanges under faults on a monitor link"};
    app.add_option("--port", port, "the serial device or pseudo-terminal of the target");
    app.add_flag("--fake-monitor", fake, "serve the tests' fake monitor on a pseudo-terminal of its own");
    app.add_option("--drop", drop, "with --fake-monitor: chance that a reply byte is lost");
    app.add_option("--flip", flip, "with --fake-monitor: chance that a reply byte has a bit flipped");
    app.add_option("--rate", rate, "bit rate")->capture_default_str();
    app.add_option("--polls", polls, "status polls to time")->capture_default_str();
    app.add_option("--connects", connects, "connects to time")->capture_default_str();
    app.add_option("--exchanges", exchanges, "16-byte XDATA reads to run")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    if (port.empty() == !fake) {
        std::fprintf(stderr, "bench_monitor_link: give --port PATH or --fake-monitor\n");
        return 1;
    }
    std::unique_ptr<testing::PtyPeer> peer;
    if (fake) {
        peer = std::make_unique<testing::PtyPeer>();
        peer->SetFaults(drop, flip, 7);
        port = peer->SlavePath();
    }
    setenv("KX6500MON_COM1", port.c_str(), 1);

    TermiosPort termios;
    CountingPort counting(termios);
    SystemClock clock;
    NullTrace out;
    MonitorTrace trace(out, clock);
    QuietNotifier notifier;
    MonitorLink link(counting, clock, notifier, trace);
    MonitorCommands commands(link);
    if (!link.Open(1, rate)) {
        std::fprintf(stderr, "bench_monitor_link: %s cannot be opened\n", port.c_str());
        return 1;
    }
    const double byteSeconds = 10.0 / rate;
    std::printf("link %s at %d bit/s%s\n", port.c_str(), rate, fake ? " (the tests' fake monitor)" : "");

    // Status polls.
    int answered = 0;
    counting.bytes = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < polls; ++i) answered += link.PollStatus(50).has_value();
    double elapsed = Seconds(std::chrono::steady_clock::now() - start);
    const double pollWire = static_cast<double>(counting.bytes) * byteSeconds;
    std::printf("status polls: %d of %d answered, %.0f per second; %.3f ms each, wire time %.3f ms (ratio %.2f)\n",
                answered, polls, polls / elapsed, elapsed / polls * 1e3, pollWire / polls * 1e3,
                pollWire > 0 ? elapsed / pollWire : 0.0);

    // Connects.
    std::vector<double> times;
    long connectBytes = 0;
    int connected = 0;
    for (int i = 0; i < connects; ++i) {
        link.SetFailed(false);
        counting.bytes = 0;
        start = std::chrono::steady_clock::now();
        connected += link.Connect();
        times.push_back(Seconds(std::chrono::steady_clock::now() - start));
        connectBytes += counting.bytes;
    }
    std::sort(times.begin(), times.end());
    const double connectWire = static_cast<double>(connectBytes) / connects * byteSeconds;
    std::printf("connect: %d of %d, median %.2f ms, wire time %.2f ms (ratio %.2f)\n", connected, connects,
                times[times.size() / 2] * 1e3, connectWire * 1e3,
                connectWire > 0 ? times[times.size() / 2] / connectWire : 0.0);

    // Exchanges, with whatever faults the line has.
    const LinkStats before = link.Stats();
    int failed = 0;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < exchanges; ++i) {
        link.SetFailed(false);
        std::uint8_t bytes[16];
        failed += !commands.ReadXdata(static_cast<std::uint16_t>(i * 16 % 0x800), sizeof bytes, bytes);
    }
    elapsed = Seconds(std::chrono::steady_clock::now() - start);
    const LinkStats& after = link.Stats();
    const long resyncs = after.resyncs - before.resyncs;
    const double resyncMs = static_cast<double>(after.resyncMs - before.resyncMs);
    std::printf("exchanges: %d in %.2f s; per thousand: %.1f retried, %.1f failed; %ld resynchronisations, "
                "%.1f ms each\n",
                exchanges, elapsed, static_cast<double>(after.resends - before.resends) * 1000.0 / exchanges, failed * 1000.0 / exchanges,
                resyncs, resyncs ? resyncMs / static_cast<double>(resyncs) : 0.0);
    link.Close();
    return 0;
}
