// Intel HEX read and write throughput on a full 64 KiB image of random type-00
// records, beside srec_cat converting the same file. Goal: faster than srec_cat.
//   bench_hex [REPEATS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "common/FileIo.h"
#include "lptlink/lptlink.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_hex [REPEATS]\n");
        return 0;
    }
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const fs::path dir = fs::temp_directory_path() / "tessary_bench_hex";
    fs::create_directories(dir);
    const std::string in = (dir / "in.hex").string(), out = (dir / "out.hex").string();

    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(mem, 7);
    std::mt19937 rng(7);
    std::vector<unsigned char> bytes(0x10000);
    for (auto& b : bytes) b = static_cast<unsigned char>(rng());
    lptlinkWriteTo8051Mem(mem, bytes.data(), 0, 0x10000);
    lptlinkWriteHexFile(mem, in.c_str());
    Mem8051Destroy(mem);
    std::free(mem);
    const double megabytes = static_cast<double>(fs::file_size(in)) / 1e6;

    using clock = std::chrono::steady_clock;
    auto start = clock::now();
    for (int i = 0; i < repeats; ++i) {
        Mem8051* image = lptlinkReadHexFile(in.c_str(), 7);
        lptlinkWriteHexFile(image, out.c_str());
        Mem8051Destroy(image);
        std::free(image);
    }
    const double ours = std::chrono::duration<double>(clock::now() - start).count() / repeats;
    std::printf("lptlink read + write: %8.2f ms per 64 KiB image (%.1f MB/s of HEX text)\n", ours * 1000,
                2 * megabytes / ours);

    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) {
        std::printf("srec_cat: not installed (Debian package srecord); no comparison\n");
        return 0;
    }
    const std::string command = "srec_cat " + in + " -intel -o " + out + " -intel >/dev/null 2>&1";
    start = clock::now();
    for (int i = 0; i < repeats; ++i)
        if (std::system(command.c_str()) != 0) return 1;
    const double theirs = std::chrono::duration<double>(clock::now() - start).count() / repeats;
    std::printf("srec_cat convert:     %8.2f ms per 64 KiB image (a process each)\n", theirs * 1000);
    std::printf("ratio srec_cat / lptlink: %.1f (goal: above 1)\n", theirs / ours);
    fs::remove_all(dir);
    return 0;
}
