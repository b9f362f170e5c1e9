// The SPI programmer on the virtual KX6500: the bit rate achieved for requested rates of
// 50 000 to 300 000 bit/s, measured on the wire from the rising SCK edges in the virtual
// port's trace, and the wall time of erase, program and verify of a full 32 KiB image
// beside the time its bits alone need. Goal: every achieved rate within 3 % of the
// requested one.
//   bench_spi [--pages N] [--full-rate BPS]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "bench/WireTrace.h"
#include "lptlink/lptlink.h"

namespace {

struct Image {
    Image() : mem(static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)))) { Mem8051Init(mem, 7); }
    ~Image() {
        Mem8051Destroy(mem);
        std::free(mem);
    }
    Mem8051* mem;
};

// The port opened afresh, with the virtual KX6500 on it and the trace (if any) in a
// file of its own.
int OpenPort(const std::string& trace) {
    if (trace.empty()) unsetenv("LPTLINK_SIM_TRACE");
    else setenv("LPTLINK_SIM_TRACE", trace.c_str(), 1);
    if (!lptlinkInit()) return 0;
    lptlinkSimAttachBoard("kx6500");
    return lptlinkGetParPortBaseAdr(1);
}

long ExchangesTraced(const std::string& dumpPath) {
    std::ifstream in(dumpPath);
    long words = 0;
    for (std::string line; std::getline(in, line);) words += line.find(": TX(") != std::string::npos;
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    int pages = 8, fullRate = 300000;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a(argv[i]);
        if (a == "--help" || a == "-h") {
            std::printf("usage: bench_spi [--pages N] [--full-rate BPS]\n"
                        "Runs on the virtual port (LPTLINK_DRIVER=sim). The rate rows program and verify N pages\n"
                        "(default 8) with the port traced; the full run erases, programs and verifies 32 KiB at\n"
                        "BPS (default 300000) untraced.\n");
            return 0;
        }
        if (a == "--pages" && i + 1 < argc) pages = std::max(1, std::min(256, std::atoi(argv[++i])));
        else if (a == "--full-rate" && i + 1 < argc) fullRate = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "bench_spi: unknown argument '%s' (see --help)\n", argv[i]);
            return 1;
        }
    }
    setenv("LPTLINK_DRIVER", "sim", 0);
    const std::string traceDir = bench::TempPath("spi");
    setenv("TESSARY_TRACE_DIR", std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp", 0);
    const std::string dump = std::string(std::getenv("TESSARY_TRACE_DIR")) + "/lptprog.dmp";

    Image some;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(pages) * 128, 0x5A);
    lptlinkWriteTo8051Mem(some.mem, bytes.data(), 0, static_cast<int>(bytes.size()));
    bool met = true;
    std::printf("%10s %14s %9s %9s   (program and verify of %d pages, from the SCK edges)\n", "requested", "achieved",
                "error", "periods", pages);
    for (int rate : {50000, 100000, 200000, 300000}) {
        const std::string trace = traceDir + "_" + std::to_string(rate) + ".trace";
        const int base = OpenPort(trace);
        if (!base) return 1;
        const unsigned result = lptlinkKX6500SPItransaction(some.mem, base, 14745600.0f, rate,
                                                            SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0, nullptr, nullptr);
        lptlinkRelease();
        const bench::SpiClock clock = bench::MeasureSpiClock(bench::ReadTrace(trace), static_cast<unsigned>(base));
        if (!std::getenv("BENCH_KEEP_TRACE")) std::remove(trace.c_str());
        const double achieved = clock.BitsPerSecond(), error = 100.0 * (achieved - rate) / rate;
        std::printf("%10d %10.0f bit/s %+8.2f %% %9ld%s\n", rate, achieved, error, clock.periods,
                    result == SPI_RESULT_OK ? "" : "   (transaction FAILED)");
        met = met && std::abs(error) <= 3.0 && result == SPI_RESULT_OK;
    }

    Image full;
    std::mt19937 rng(3);
    std::vector<unsigned char> image(0x8000);
    for (auto& b : image) b = static_cast<unsigned char>(rng());
    lptlinkWriteTo8051Mem(full.mem, image.data(), 0, 0x8000);
    const int base = OpenPort("");
    if (!base) return 1;
    lptlinkCloseProgrammerTrace();
    std::remove(dump.c_str());
    const auto start = std::chrono::steady_clock::now();
    const unsigned result = lptlinkKX6500SPItransaction(full.mem, base, 14745600.0f, fullRate,
                                                        SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0, nullptr, nullptr);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    lptlinkCloseProgrammerTrace();
    lptlinkRelease();
    const long words = ExchangesTraced(dump);
    const double bitsAlone = 32.0 * static_cast<double>(words) / fullRate;
    std::printf("erase, program and verify 32 KiB at %d bit/s: %.2f s (%s); its %ld words need %.2f s at that rate: "
                "ratio %.2f\n",
                fullRate, wall, result == SPI_RESULT_OK ? "ok" : "FAILED", words, bitsAlone, wall / bitsAlone);
    std::printf("goal (achieved rate within 3 %%): %s\n", met ? "met" : "NOT met");
    return 0;
}
