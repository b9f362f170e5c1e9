// Speed of the virtual KX6500's 8051 core on a long SDCC-built program (the tests'
// CRC-16 over XDATA and bubble sort, over and over), beside the real chip at 14.7456 MHz
// (12 clocks per machine cycle: 1.2288 million machine cycles per second).
// Goal: at least 20 times the real chip.
//   bench_core [SECONDS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileIo.h"
#include "sim/chip/KX6500Chip.h"
#include "tools/kx6500-sim/SimRun.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRealCyclesPerSecond = 14.7456e6 / 12;
constexpr double kGoal = 20;

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_core [SECONDS]\n");
        return 0;
    }
    const double seconds = argc > 1 ? std::max(0.1, std::atof(argv[1])) : 2.0;
    const fs::path dir = fs::temp_directory_path() / "tessary_bench_core";
    fs::create_directories(dir);
    const std::string build = "cd " + dir.string() + " && sdcc -mmcs51 --xram-size 2048 --code-size 0x7600 -DROUNDS_FOREVER=1 " +
                              TESSARY_SOURCE_DIR "/tests/sim/programs/crcsort.c >sdcc.log 2>&1";
    if (std::system(build.c_str()) != 0) {
        std::fprintf(stderr, "bench_core: sdcc could not build the program (see %s/sdcc.log)\n", dir.string().c_str());
        return 1;
    }
    std::vector<std::uint8_t> hex;
    std::string error;
    sim::KX6500Chip chip;
    if (!tessary::ReadWholeFile((dir / "crcsort.ihx").string(), hex, error) ||
        !tessary::LoadHexIntoChip(std::string_view(reinterpret_cast<const char*>(hex.data()), hex.size()), chip, error)) {
        std::fprintf(stderr, "bench_core: %s\n", error.c_str());
        return 1;
    }
    chip.PowerOn();
    chip.RunUntil(1000000);  // past the start-up code
    using clock = std::chrono::steady_clock;
    const std::uint64_t instructions0 = chip.Instructions(), cycles0 = chip.Cycles();
    const auto start = clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
        chip.RunUntil(chip.Cycles() + 1000000);
        elapsed = std::chrono::duration<double>(clock::now() - start).count();
    }
    const double instructions = static_cast<double>(chip.Instructions() - instructions0);
    const double cycles = static_cast<double>(chip.Cycles() - cycles0);
    const double ours = instructions / elapsed;
    const double real = kRealCyclesPerSecond * instructions / cycles;  // the chip's instructions per second on this program
    const double ratio = ours / real;
    std::printf("core on an SDCC program (CRC-16 and bubble sort): %.1f million instructions in %.2f s, %.2f cycles each\n",
                instructions / 1e6, elapsed, cycles / instructions);
    std::printf("  virtual chip: %8.2f million instructions/s (%.2f million machine cycles/s)\n", ours / 1e6,
                cycles / elapsed / 1e6);
    std::printf("  real chip:    %8.2f million instructions/s (1.2288 million machine cycles/s at 14.7456 MHz)\n",
                real / 1e6);
    std::printf("  %.1f times the real chip; goal at least %.0f times: %s\n", ratio, kGoal, ratio >= kGoal ? "met" : "NOT met");
    fs::remove_all(dir);
    return 0;
}
