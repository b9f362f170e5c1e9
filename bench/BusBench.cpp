// The board transfers on the virtual port through liblptlink with the real pauses and
// waits, judged on the wire: each pause or wait is the time between the virtual port's
// stamps of the accesses on either side of it (LPTLINK_SIM_TRACE), the whole transfer
// its wall time. Goals on an idle machine: each row's median pause or wait at most
// 1.02 times its floor and none below it; the transfer at most 1.05 times its floor.
//   bench_bus [REPEATS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "bench/WireTrace.h"
#include "lptlink/lptlink.h"
#include "studio/board/CRegisterBus.h"
#include "studio/board/LptlinkSeams.h"
#include "studio/config/CConfigView.h"

using namespace tessary;

namespace {

// Counts the port accesses, so that a pause can be placed among the trace lines.
class CountingPortIo : public PortIo {
public:
    std::uint8_t Read(std::uint16_t address) override {
        ++count;
        return real_.Read(address);
    }
    void Write(std::uint16_t address, std::uint8_t value) override {
        ++count;
        real_.Write(address, value);
    }
    std::size_t count = 0;

private:
    LptlinkPortIo real_;
};

// The real pauses and waits, each noted with the place of the access that follows it.
class MarkingTiming : public BusTiming {
public:
    explicit MarkingTiming(const CountingPortIo& io) : io_(io) {}
    void SleepMilliseconds(int ms) override {
        marks.push_back({io_.count, ms * 1000.0});
        real_.SleepMilliseconds(ms);
    }
    void WaitMicroseconds(int us) override {
        marks.push_back({io_.count, static_cast<double>(us)});
        real_.WaitMicroseconds(us);
    }
    struct Mark {
        std::size_t next;  // index of the access after it
        double floorUs;
    };
    std::vector<Mark> marks;

private:
    const CountingPortIo& io_;
    SystemBusTiming real_;
};

struct Row {
    const char* name;
    const char* board;
    const char* kind;  // what its pauses are
    std::function<void(CRegisterBus&)> transfer;
};

struct Runs {
    std::size_t firstMark = 0, endMark = 0;
    std::vector<double> wallMs;
    double floorMs = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_bus [REPEATS]\nRuns each transfer REPEATS times (default 5) on the virtual port and "
                    "prints the medians.\n");
        return 0;
    }
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    setenv("LPTLINK_DRIVER", "sim", 0);
    const std::string trace = bench::TempPath("bus.trace");
    setenv("LPTLINK_SIM_TRACE", trace.c_str(), 1);
    if (!lptlinkInit()) return 1;
    CountingPortIo io;
    MarkingTiming timing(io);
    CParallelPort port(io, static_cast<std::uint16_t>(lptlinkGetParPortBaseAdr(1)));
    CRegisterBus bus(port, timing);

    SetApplicationPort(&port);
    SetApplicationTiming(&timing);
    TessaryDocument document;  // its register set takes the application's port
    document.config.kx400.deviceNumber = 4;
    document.config.Reset();
    StderrMessageSink messages;
    CConfigView form(document, messages);
    form.OnInitialUpdate();

    std::vector<Row> rows = {
        {"KX400/KX900 frame set (8 frames)", "kx900", "1 ms pauses",
         [](CRegisterBus& b) { b.WriteFrameSet({1, 2, 3, 4, 5, 6, 7, 8}); }},
        {"KX6200 read-back (29 registers)", "kx6200", "1 ms pauses",
         [](CRegisterBus& b) {
             for (int a = 0; a <= 0x14; ++a) b.ReadRegister(static_cast<std::uint8_t>(a));
             b.ReadRegister(0x1C);
             for (int a = 0x40; a <= 0x46; ++a) b.ReadRegister(static_cast<std::uint8_t>(a));
         }},
        {"KX6300 read-back (25 registers)", "kx6300", "1 ms pauses",
         [](CRegisterBus& b) {
             for (int a = 0x00; a <= 0x0E; ++a) b.ReadRegister(static_cast<std::uint8_t>(a));
             for (int a : {0x11, 0x13, 0x1C}) b.ReadRegister(static_cast<std::uint8_t>(a));
             for (int a = 0x40; a <= 0x46; ++a) b.ReadRegister(static_cast<std::uint8_t>(a));
         }},
        // The KX400 form's Update Device: Apply, then eight frames through the application's port.
        {"KX400 Update Device (8 frames)", "kx400", "1 ms pauses", [&form](CRegisterBus&) { form.UpdateDevice(); }},
        {"KX6500 register write", "kx6500", "200 us waits", [](CRegisterBus& b) { b.WriteRegisterKX6500(0xC8, 0x30); }},
        {"KX6500 register read", "kx6500", "200 us waits", [](CRegisterBus& b) { b.ReadRegisterKX6500(0xE4); }},
        {"KX6500 hardware reset", "kx6500", "1 ms pause", [](CRegisterBus& b) { b.ResetKX6500(); }},
    };
    std::vector<Runs> runs(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        Runs& run = runs[i];
        lptlinkSimAttachBoard(row.board);
        run.firstMark = timing.marks.size();
        for (int r = 0; r < repeats; ++r) {
            const std::size_t before = timing.marks.size();
            const auto start = std::chrono::steady_clock::now();
            row.transfer(bus);
            run.wallMs.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            port.ReadStatus();  // ends the transfer's last pause on the wire
            run.floorMs = 0;
            for (std::size_t m = before; m < timing.marks.size(); ++m) run.floorMs += timing.marks[m].floorUs / 1000;
        }
        run.endMark = timing.marks.size();
    }

    // The download has no pauses: its speed is the port's (here with every access traced).
    lptlinkSimAttachBoard("kx6200");
    std::vector<double> downloadMs;
    const std::size_t accessesBefore = io.count;
    for (int r = 0; r < repeats * 10; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int a = 0; a < 23; ++a) bus.WriteRegister(static_cast<std::uint8_t>(a), 0x55);
        downloadMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const double accessesPerDownload = static_cast<double>(io.count - accessesBefore) / (repeats * 10);

    lptlinkSimAttachBoard("kx6300");
    const int kx6300Download[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                                  0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x11, 0x13, 0x1C, 0x42};
    std::vector<double> kx6300Ms;
    const std::size_t kx6300Before = io.count;
    for (int r = 0; r < repeats * 10; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int a : kx6300Download) bus.WriteRegister(static_cast<std::uint8_t>(a), 0x55);
        kx6300Ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const double kx6300Accesses = static_cast<double>(io.count - kx6300Before) / (repeats * 10);
    SetApplicationPort(nullptr);
    SetApplicationTiming(nullptr);
    lptlinkRelease();

    const std::vector<bench::Access> wire = bench::ReadTrace(trace);
    std::remove(trace.c_str());
    if (wire.size() != io.count) {
        std::fprintf(stderr, "bench_bus: the trace has %zu accesses, the bench made %zu\n", wire.size(), io.count);
        return 1;
    }
    std::printf("%-34s %9s %9s %6s   %-13s %6s %12s %12s\n", "transfer (median of runs)", "wall ms", "floor ms", "ratio",
                "on the wire", "count", "median/floor", "shortest us");
    bool met = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Runs& run = runs[i];
        std::vector<double> pauses;
        double floorUs = 0, shortestOver = 1e300;
        for (std::size_t m = run.firstMark; m < run.endMark; ++m) {
            const auto& mark = timing.marks[m];
            const double us = wire[mark.next].us - wire[mark.next - 1].us;
            pauses.push_back(us / mark.floorUs);
            floorUs = mark.floorUs;
            shortestOver = std::min(shortestOver, us - mark.floorUs);
        }
        const bench::Spread ratio = bench::SpreadOf(pauses);
        const bench::Spread wall = bench::SpreadOf(run.wallMs);
        const double transferRatio = wall.median / run.floorMs;
        std::printf("%-34s %9.3f %9.3f %6.3f   %-13s %6zu %12.4f %12.1f\n", row.name, wall.median, run.floorMs,
                    transferRatio, row.kind, ratio.count, ratio.median, floorUs + shortestOver);
        met = met && ratio.median <= 1.02 && shortestOver >= 0 && transferRatio <= 1.05;
    }
    const double download = bench::SpreadOf(downloadMs).median;
    std::printf("%-34s %9.3f ms   %.2f million port accesses per second (traced)\n", "KX6200 download (23 registers)",
                download, accessesPerDownload / (download * 1000.0));
    const double kx6300 = bench::SpreadOf(kx6300Ms).median;
    std::printf("%-34s %9.3f ms   %.2f million port accesses per second (traced)\n", "KX6300 download (19 registers)",
                kx6300, kx6300Accesses / (kx6300 * 1000.0));
    std::printf("goal (median pause <= 1.02 x floor, none shorter, transfer <= 1.05 x floor): %s\n",
                met ? "met" : "NOT met");
    return 0;
}
