// The SPI programmer on the virtual port: achieved bit rate for requested rates of
// 100 000 and 300 000 bit/s, and the wall time of erase, program and verify of a full
// 32 KiB image. Goal: achieved rate within 10 % of the requested one.
//   bench_spi

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

#include "lptlink/lptlink.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_spi   (runs on the virtual port: LPTLINK_DRIVER=sim)\n");
        return 0;
    }
    setenv("LPTLINK_DRIVER", "sim", 0);
    if (!lptlinkInit()) return 1;
    const int base = lptlinkGetParPortBaseAdr(1);
    lptlinkSimAttachBoard("kx6500");
    using clock = std::chrono::steady_clock;
    bool met = true;
    auto* pages = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(pages, 7);
    std::vector<unsigned char> page(64 * 128, 0x5A);
    lptlinkWriteTo8051Mem(pages, page.data(), 0, static_cast<int>(page.size()));
    for (int rate : {100000, 300000}) {
        // Programming 64 pages exchanges 64 x 129 words of 32 bits; the fixed waits are
        // the 10 ms calibration sleep, 350 ms after the erase, 4 ms per page and 1.3 ms
        // for each of the 9 handshakes.
        const auto start = clock::now();
        lptlinkKX6500SPItransaction(pages, base, 14745600.0f, rate, SPI_ACTION_PROGRAM, 0, nullptr, nullptr);
        const double seconds = std::chrono::duration<double>(clock::now() - start).count();
        const double fixed = 0.010 + 0.350 + 64 * 0.004 + 9 * 0.0013;
        const double bits = 64.0 * 129 * 32 + 9 * 32 * 2;
        const double achieved = bits / (seconds - fixed);
        std::printf("requested %6d bit/s: achieved %8.0f bit/s (%+.1f %%)\n", rate, achieved,
                    100.0 * (achieved - rate) / rate);
        met = met && std::abs(achieved - rate) / rate <= 0.10;
    }
    Mem8051Destroy(pages);
    std::free(pages);
    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(mem, 7);
    std::mt19937 rng(3);
    std::vector<unsigned char> bytes(0x8000);
    for (auto& b : bytes) b = static_cast<unsigned char>(rng());
    lptlinkWriteTo8051Mem(mem, bytes.data(), 0, 0x8000);
    const auto start = clock::now();
    const unsigned result = lptlinkKX6500SPItransaction(mem, base, 14745600.0f, 300000,
                                                        SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0, nullptr, nullptr);
    std::printf("erase, program and verify 32 KiB at 300000 bit/s: %.1f s (%s)\n",
                std::chrono::duration<double>(clock::now() - start).count(),
                result == SPI_RESULT_OK ? "ok" : "FAILED");
    Mem8051Destroy(mem);
    std::free(mem);
    lptlinkCloseProgrammerTrace();
    lptlinkRelease();
    std::printf("goal (achieved rate within 10 %%): %s\n", met ? "met" : "NOT met");
    return 0;
}
