// kx6500-sim --run against ucsim's s51 on seeded random programs: the same registers,
// internal RAM, SFRs, XDATA, program counter and machine cycles after the same number
// of instructions.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "sim/chip/KX6500Chip.h"
#include "tests/sim/RandomProgram.h"
#include "tests/sim/S51.h"
#include "tools/kx6500-sim/SimRun.h"

namespace fs = std::filesystem;
using simtest::MachineState;

namespace {

// A longer search: TESSARY_DIFF_PROGRAMS=2000 TESSARY_DIFF_SEED=1 build/bin/test_differential
int FromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}
const int kPrograms = FromEnvironment("TESSARY_DIFF_PROGRAMS", 40);
const auto kFirstSeed = static_cast<std::uint32_t>(FromEnvironment("TESSARY_DIFF_SEED", 1700));

std::string Bin() {
    const char* bin = std::getenv("TESSARY_BIN");
    return bin ? bin : "build/bin";
}

bool RunOurs(const std::string& hexPath, std::uint64_t steps, MachineState& state, std::string& error) {
    const std::string command = Bin() + "/kx6500-sim --run " + hexPath + " --steps " + std::to_string(steps) + " --dump json";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    if (pclose(pipe) != 0) {
        error = command + " failed";
        return false;
    }
    const auto j = nlohmann::json::parse(out);
    state.pc = j["pc"];
    state.cycles = j["cycles"];
    for (int i = 0; i < 128; ++i) {
        state.iram[static_cast<std::size_t>(i)] = j["iram"][static_cast<std::size_t>(i)];
        state.sfr[static_cast<std::size_t>(i)] = j["sfr"][static_cast<std::size_t>(i)];
    }
    for (int i = 0; i < 0x800; ++i) state.xdata[static_cast<std::size_t>(i)] = j["xdata"][static_cast<std::size_t>(i)];
    if (j["steps"] != steps) {
        error = "steps differ";
        return false;
    }
    return true;
}

// s51 leaves P as it was after a byte write to PSW until ACC is written: compare P as
// the parity of ACC.
int PswOfS51(const MachineState& s) {
    const int acc = s.sfr[0xE0 - 0x80];
    int parity = 0;
    for (int v = acc; v; v >>= 1) parity ^= v & 1;
    return (s.sfr[0xD0 - 0x80] & 0xFE) | parity;
}

std::string Differences(const MachineState& ours, const MachineState& s51) {
    std::ostringstream d;
    auto hex = [](int v) {
        char t[16];
        std::snprintf(t, sizeof t, "0x%02X", v);
        return std::string(t);
    };
    if (ours.pc != s51.pc) d << " pc " << hex(ours.pc) << " vs " << hex(s51.pc);
    if (ours.cycles != s51.cycles) d << " cycles " << ours.cycles << " vs " << s51.cycles;
    for (int i = 0; i < 128; ++i) {
        if (ours.iram[static_cast<std::size_t>(i)] != s51.iram[static_cast<std::size_t>(i)])
            d << " iram[" << hex(i) << "] " << hex(ours.iram[static_cast<std::size_t>(i)]) << " vs "
              << hex(s51.iram[static_cast<std::size_t>(i)]);
        const int theirs = i == 0xD0 - 0x80 ? PswOfS51(s51) : s51.sfr[static_cast<std::size_t>(i)];
        if (ours.sfr[static_cast<std::size_t>(i)] != theirs)
            d << " sfr[" << hex(0x80 + i) << "] " << hex(ours.sfr[static_cast<std::size_t>(i)]) << " vs " << hex(theirs);
    }
    for (int i = 0; i < 0x800; ++i)
        if (ours.xdata[static_cast<std::size_t>(i)] != s51.xdata[static_cast<std::size_t>(i)])
            d << " xdata[" << hex(i) << "] " << hex(ours.xdata[static_cast<std::size_t>(i)]) << " vs "
              << hex(s51.xdata[static_cast<std::size_t>(i)]);
    return d.str();
}

}  // namespace

TEST(DifferentialS51, RandomProgramsAgree) {
    const fs::path dir = fs::temp_directory_path() / "tessary_differential";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<simtest::S51Run> runs;
    std::array<std::uint64_t, 256> executed{};
    std::uint64_t instructions = 0;
    for (int p = 0; p < kPrograms; ++p) {
        const std::uint32_t seed = kFirstSeed + static_cast<std::uint32_t>(p);
        const simtest::RandomProgram program = simtest::GenerateProgram(seed);
        const std::string path = (dir / ("p" + std::to_string(seed) + ".hex")).string();
        std::ofstream(path) << program.Hex();
        const std::uint64_t steps = 300 + (seed * 7919u) % 1200;
        runs.push_back({path, steps});
        // What the programs exercise, counted on the chip model in this process.
        sim::KX6500Chip chip;
        std::string error;
        ASSERT_TRUE(tessary::LoadHexIntoChip(program.Hex(), chip, error)) << error;
        for (std::uint64_t i = 0; i < steps; ++i) {
            ++executed[chip.Code(chip.Pc())];
            chip.Step();
        }
        instructions += steps;
    }
    std::vector<MachineState> references;
    std::string error;
    ASSERT_TRUE(simtest::RunS51(runs, dir.string(), references, error)) << error;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        MachineState ours;
        ASSERT_TRUE(RunOurs(runs[i].hexPath, runs[i].steps, ours, error)) << error;
        const std::string differences = Differences(ours, references[i]);
        EXPECT_TRUE(differences.empty()) << runs[i].hexPath << " after " << runs[i].steps << " instructions:" << differences;
    }
    int covered = 0;
    std::string missing;
    for (int op = 0; op < 256; ++op) {
        if (executed[static_cast<std::size_t>(op)]) ++covered;
        else if (op != 0xA5) missing += " " + std::to_string(op);
    }
    std::printf("[ coverage ] %d programs, %llu instructions, %d of 255 opcodes executed\n", kPrograms,
                static_cast<unsigned long long>(instructions), covered);
    EXPECT_TRUE(missing.empty()) << "opcodes never executed:" << missing;
    EXPECT_EQ(executed[0xA5], 0u);
    if (!::testing::Test::HasFailure()) fs::remove_all(dir);  // kept for a look at what differed
}
