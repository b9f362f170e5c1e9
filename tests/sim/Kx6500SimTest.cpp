// kx6500-sim --run end to end: an SDCC-built program gives the results computed here,
// a flash file written by kxprog holds the bytes the chip executes, and the command
// line answers bad input clearly.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "sim/chip/FlashFile.h"
#include "sim/chip/KX6500Chip.h"
#include "tests/support/ShellRun.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using tessary::testing::Bin;
using tessary::testing::ProgramRun;
using tessary::testing::Shell;

// tests/sim/programs/crcsort.c: a CRC-16 over a buffer in XDATA and a bubble sort, results
// at fixed XDATA addresses.
struct Expected {
    unsigned crc = 0xFFFF;
    std::array<int, 64> sorted{};
    Expected() {
        std::array<unsigned char, 256> buffer;
        for (unsigned i = 0; i < 256; ++i) buffer[i] = static_cast<unsigned char>(i * 37 + 11);
        for (unsigned char b : buffer) {
            crc ^= static_cast<unsigned>(b) << 8;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
        }
        for (unsigned j = 0; j < 64; ++j) sorted[j] = buffer[(j * 13) & 0xFF] ^ 0x5A;
        std::sort(sorted.begin(), sorted.end());
    }
};

class Kx6500Sim : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_kx6500sim_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Sim(const std::string& args) const { return Bin() + "/kx6500-sim " + args; }
    // The program built with SDCC; the path of its HEX file.
    std::string BuildProgram() {
        const ProgramRun sdcc = Shell("cd " + dir.string() + " && sdcc -mmcs51 --xram-size 2048 --code-size 0x7600 " +
                                      TESSARY_SOURCE_DIR "/tests/sim/programs/crcsort.c");
        EXPECT_EQ(sdcc.status, 0) << sdcc.out;
        return Path("crcsort.ihx");
    }
    fs::path dir;
};

}  // namespace

TEST_F(Kx6500Sim, AnSdccProgramComputesWhatTheTestComputes) {
    const std::string hex = BuildProgram();
    const ProgramRun r = Shell(Sim("--run " + hex + " --steps 2000000 --dump json"));
    ASSERT_EQ(r.status, 0) << r.out;
    const json j = json::parse(r.out);
    const Expected expected;
    EXPECT_EQ(j["xdata"][0x7F2], 0xA5) << "the program did not finish";
    EXPECT_EQ(static_cast<unsigned>(j["xdata"][0x7F0]) | static_cast<unsigned>(j["xdata"][0x7F1]) << 8, expected.crc);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(j["xdata"][0x300 + i], expected.sorted[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(j["steps"], 2000000);
    EXPECT_GT(j["cycles"], 2000000);
    for (const char* key : {"pc", "acc", "b", "psw", "sp", "dptr", "dps", "r", "iram", "sfr", "xdata"})
        EXPECT_TRUE(j.contains(key)) << key;
    EXPECT_EQ(j["r"].size(), 8u);
    EXPECT_EQ(j["iram"].size(), 128u);
    EXPECT_EQ(j["sfr"].size(), 128u);
    EXPECT_EQ(j["xdata"].size(), 2048u);
}

TEST_F(Kx6500Sim, AFlashFileWrittenByKxprogHoldsWhatTheChipExecutes) {
    const std::string hex = BuildProgram();
    const std::string flash = Path("flash.bin");
    const ProgramRun program = Shell("LPTLINK_SIM_FLASH=" + flash + " " + Bin() + "/kxprog --no-progress --rate 100000000 program " + hex);
    ASSERT_EQ(program.status, 0) << program.out;
    sim::KX6500Chip chip;
    sim::FlashFile file(flash);
    ASSERT_TRUE(file.Load(chip)) << file.Error();
    chip.PowerOn();
    chip.RunUntil(10000000);
    const Expected expected;
    EXPECT_EQ(chip.Xdata(0x7F2), 0xA5);
    EXPECT_EQ(static_cast<unsigned>(chip.Xdata(0x7F0) | chip.Xdata(0x7F1) << 8), expected.crc);
    EXPECT_EQ(chip.Xdata(0x300), expected.sorted[0]);
    EXPECT_EQ(chip.Xdata(0x33F), expected.sorted[63]);
}

TEST_F(Kx6500Sim, StatesAreCountedFromResetWithClearedMemories) {
    std::ofstream(Path("p.hex")) << ":0600000074A5F53080FE3E\n:00000001FF\n";  // MOV A,#0xA5; MOV 0x30,A; SJMP $
    ProgramRun r = Shell(Sim("--run " + Path("p.hex") + " --steps 0 --dump json"));
    ASSERT_EQ(r.status, 0) << r.out;
    json j = json::parse(r.out);
    EXPECT_EQ(j["pc"], 0);
    EXPECT_EQ(j["sp"], 7);
    EXPECT_EQ(j["sfr"][0], 0xFF);  // P0
    EXPECT_EQ(j["cycles"], 0);
    r = Shell(Sim("--run " + Path("p.hex") + " --steps 3 --dump json"));
    j = json::parse(r.out);
    EXPECT_EQ(j["iram"][0x30], 0xA5);
    EXPECT_EQ(j["psw"], 0x00);  // 0xA5 has four bits set
    EXPECT_EQ(j["pc"], 4);
    EXPECT_EQ(j["cycles"], 4);
    r = Shell(Sim("--run " + Path("p.hex") + " --steps 3"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("PC 0x0004"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("3 instructions, 4 machine cycles"), std::string::npos) << r.out;
}

TEST_F(Kx6500Sim, BadInputIsRefusedClearly) {
    std::ofstream(Path("high.hex")) << ":017FFF00AAD7\n:01800000552A\n:00000001FF\n";
    std::ofstream(Path("bad.hex")) << "this is not hex\n";
    struct Case {
        std::string args, message;
    };
    const Case cases[] = {
        {"--run " + Path("high.hex") + " --steps 1", "0x8000"},
        {"--run " + Path("bad.hex") + " --steps 1", "not a valid Intel HEX file"},
        {"--run " + Path("missing.hex") + " --steps 1", "missing.hex"},
        {"--run " + Path("bad.hex"), "--steps"},
        {"--steps 5", "--run"},
        {"--run " + Path("bad.hex") + " --steps -3", "0 or more"},
        {"--run " + Path("bad.hex") + " --steps 1 --dump xml", "xml"},
        {"--run " + Path("bad.hex") + " --steps 1 --flash f.bin", "--flash"},
        {"--link-faults drop=2,lose=1", "'lose=1' is not drop=P"},
        {"--clock 0", "--clock"},
        {"--seed x", "--seed"},
    };
    for (const Case& c : cases) {
        const ProgramRun r = Shell(Sim(c.args));
        EXPECT_EQ(r.status, 1) << c.args << ": " << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << ": " << r.out;
    }
    const ProgramRun help = Shell(Sim("--help"));
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--run FILE.hex --steps N [--dump json]"), std::string::npos);
    EXPECT_NE(help.out.find("--link-faults"), std::string::npos);
    EXPECT_NE(help.out.find("pseudo-terminal"), std::string::npos);
}
