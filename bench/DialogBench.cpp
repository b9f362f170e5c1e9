// The programmer dialog against kxprog: an auto-run "Erase, Program && Verify" of a full
// 32 KiB image on the virtual port under the offscreen platform, timed without the 4 s
// in which the dialog closes by itself, and `kxprog program` on the same image. Goal: the
// dialog takes at most 1.10 times as long (its progress updates must not slow the wire).
// The two run by turns, several rounds; the best time of each is compared, since other
// work on the machine only ever makes a run longer.
//   bench_dialog [ROUNDS]   (3 rounds by default)

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <random>
#include <string>
#include <string_view>

#include "lptlink/lptlink.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_dialog [ROUNDS]   (the virtual port and KX6500, the offscreen platform, kxprog beside it)\n");
        return 0;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char folderTemplate[] = "/tmp/bench_dialog_XXXXXX";
    if (!mkdtemp(folderTemplate)) return 1;
    const fs::path folder = folderTemplate;
    fs::create_directories(folder / "config");
    fs::create_directories(folder / "run");
    fs::permissions(folder / "run", fs::perms::owner_all);
    setenv("LPTLINK_DRIVER", "sim", 1);
    setenv("LPTLINK_SIM_BOARD", "kx6500", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
    setenv("TESSARY_TRACE_DIR", folder.c_str(), 1);

    const std::string hex = (folder / "full.hex").string();
    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(mem, 7);
    std::mt19937 rng(5);
    std::vector<unsigned char> bytes(0x8000);
    for (auto& b : bytes) b = static_cast<unsigned char>(rng());
    lptlinkWriteTo8051Mem(mem, bytes.data(), 0, 0x8000);
    const bool written = lptlinkWriteHexFile(mem, hex.c_str()) == 0;
    Mem8051Destroy(mem);
    std::free(mem);
    if (!written) return 1;

    using clock = std::chrono::steady_clock;
    const fs::path kxprog = fs::read_symlink("/proc/self/exe").parent_path() / "kxprog";
    const std::string command = "'" + kxprog.string() + "' --no-progress program '" + hex + "' > /dev/null 2>&1";
    std::vector<double> dialogTimes, kxprogTimes;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        if (!lptlinkInit()) return 1;
        auto start = clock::now();
        const int dialog = lptlinkProgramDialog(1, 0, hex.c_str(), 1, 14.7456f, 1, 1, 1, 1, 1, 1, 1);
        dialogTimes.push_back(std::chrono::duration<double>(clock::now() - start).count() - 4.0);
        lptlinkRelease();
        start = clock::now();
        const int status = std::system(command.c_str());
        kxprogTimes.push_back(std::chrono::duration<double>(clock::now() - start).count());
        std::printf("round %d: dialog %.2f s (%s), kxprog %.2f s (%s)\n", round + 1, dialogTimes.back(),
                    dialog == 1 ? "ok" : "FAILED", kxprogTimes.back(), status == 0 ? "ok" : "FAILED");
        std::fflush(stdout);
        ok = ok && dialog == 1 && status == 0;
    }
    fs::remove_all(folder);

    const double dialogBest = *std::min_element(dialogTimes.begin(), dialogTimes.end());
    const double kxprogBest = *std::min_element(kxprogTimes.begin(), kxprogTimes.end());
    std::printf("dialog, auto-run erase, program and verify of 32 KiB (without the 4 s close), best: %.2f s\n", dialogBest);
    std::printf("kxprog program of the same image, best:                                          %.2f s\n", kxprogBest);
    const double ratio = dialogBest / kxprogBest;
    std::printf("ratio dialog / kxprog: %.3f\n", ratio);
    const bool met = ok && ratio <= 1.10;
    std::printf("goal (at most 1.10, every run succeeds): %s\n", met ? "met" : "NOT met");
    return 0;
}
