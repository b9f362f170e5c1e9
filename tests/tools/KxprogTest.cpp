// kxprog against the virtual KX6500, with its flash kept in a file between runs.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/FileIo.h"
#include "lptlink/core/BootLoaderPatch.h"
#include "lptlink/core/HexFile.h"
#include "tools/kxprog/KxprogRun.h"

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int status;
    std::string out;
};

class Kxprog : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_kxprog_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    ProgramRun Program(const std::string& args) {
        const char* bin = std::getenv("TESSARY_BIN");
        const std::string command = "LPTLINK_SIM_FLASH=" + Path("flash.bin") + " " + std::string(bin ? bin : "build/bin") +
                                    "/kxprog --no-progress --rate 100000000 " + args + " 2>&1";
        ProgramRun run{};
        FILE* pipe = popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        std::size_t n;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }
    std::string Read(const std::string& path) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        tessary::ReadWholeFile(path, bytes, error);
        return std::string(bytes.begin(), bytes.end());
    }
    Mem8051* Parse(const std::string& text) {
        auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
        Mem8051Init(mem, 7);
        EXPECT_TRUE(lptlink::ParseHex(text, *mem));
        return mem;
    }
    void Free(Mem8051* mem) {
        Mem8051Destroy(mem);
        std::free(mem);
    }
    fs::path dir;
};

}  // namespace

TEST_F(Kxprog, ProgramThenReadBackIdentical) {
    std::string hex;
    for (int record = 0; record < 40; ++record) {
        const int address = 0x0400 + record * 16;
        char line[64];
        std::snprintf(line, sizeof line, ":10%04X00", address);
        hex += line;
        int sum = 0x10 + (address >> 8) + (address & 0xFF);
        for (int i = 0; i < 16; ++i) {
            const int b = (record * 31 + i * 7) & 0xFF;
            std::snprintf(line, sizeof line, "%02X", b);
            hex += line;
            sum += b;
        }
        std::snprintf(line, sizeof line, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        hex += line;
    }
    hex += ":00000001FF\n";
    std::string error;
    ASSERT_TRUE(tessary::WriteWholeFile(Path("in.hex"), hex, error));
    ProgramRun r = Program("program " + Path("in.hex"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Operation completed successfully!"), std::string::npos);
    r = Program("read " + Path("out.hex"));
    ASSERT_EQ(r.status, 0) << r.out;
    Mem8051* in = Parse(hex);
    Mem8051* out = Parse(Read(Path("out.hex")));
    EXPECT_EQ(0, std::memcmp(in->image + 0x400, out->image + 0x400, 40 * 16));
    EXPECT_EQ(out->image[0], 0xFF);
    Free(in);
    Free(out);
    EXPECT_EQ(Program("verify " + Path("in.hex")).status, 0);
    r = Program("info");
    EXPECT_NE(r.out.find("Device ID: 01: Norvane KX6500 (Rev 1)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("No Read Lock, No boot write lock,\nUpper 0 bytes write locked."), std::string::npos);
    r = Program("--lock 0x13 write " + Path("in.hex"));
    ASSERT_EQ(r.status, 0) << r.out;
    r = Program("info");
    EXPECT_NE(r.out.find(" Read Lock,  boot write lock,\nUpper 512 bytes write locked."), std::string::npos) << r.out;
    r = Program("verify " + Path("in.hex"));  // read-protected now
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Verify failed!"), std::string::npos);
}

TEST_F(Kxprog, UsageAndDeviceErrors) {
    EXPECT_EQ(Program("").status, 1);
    EXPECT_EQ(Program("flash x.hex").status, 1);
    EXPECT_EQ(Program("program").status, 1);
    EXPECT_EQ(Program("--clock 2.5 info").status, 1);
    EXPECT_EQ(Program("--port 3 info").status, 1);
    EXPECT_EQ(Program("--lock 0x40 info").status, 1);
    const ProgramRun missing = Program("program " + Path("missing.hex"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("cannot be found!"), std::string::npos) << missing.out;
    std::string error;
    ASSERT_TRUE(tessary::WriteWholeFile(Path("bad.hex"), ":0100000012ED\n", error));
    EXPECT_NE(Program("program " + Path("bad.hex")).out.find("It is not a proper HEX-file."), std::string::npos);
    // No board on the port: no device.
    const char* bin = std::getenv("TESSARY_BIN");
    const std::string command = "LPTLINK_SIM_BOARD=loopback " + std::string(bin ? bin : "build/bin") +
                                "/kxprog --no-progress --rate 100000000 info 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer;
    std::string out;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(out.find("Unable to contact a device on parallel port!"), std::string::npos) << out;
}

TEST_F(Kxprog, FlashTestThroughTheProgram) {
    const ProgramRun r = Program("test 1");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Operation completed successfully!"), std::string::npos);
}

TEST(BootLoaderPatch, SerialTimingOfTheClock) {
    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(mem, 7);
    EXPECT_FALSE(lptlink::BootLoaderPatch(*mem, 14.7456));
    const char id[] = "kx6500_BOOT 1.0";
    lptlinkWriteTo8051Mem(mem, id, 0x6B, sizeof id);
    ASSERT_TRUE(lptlink::BootLoaderPatch(*mem, 14.7456));
    EXPECT_EQ(mem->image[0x39], 252);
    EXPECT_EQ(mem->image[0x3A], 19);
    EXPECT_EQ(mem->image[0x6B], 0x00);
    EXPECT_EQ(mem->image[0x6C], 0x78);
    EXPECT_FALSE(lptlink::BootLoaderPatch(*mem, 3.0));  // the mark is gone
    lptlinkWriteTo8051Mem(mem, id, 0x6B, sizeof id);
    ASSERT_TRUE(lptlink::BootLoaderPatch(*mem, 3.0));
    EXPECT_EQ(mem->image[0x39], 251);
    Mem8051Destroy(mem);
    std::free(mem);
}

TEST(SdccHexFile, RoundTripsThroughReaderAndWriter) {
    const fs::path dir = fs::temp_directory_path() / "tessary_sdcc";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream((dir / "blink.c").string()) << "__sfr __at (0x90) P1;\n"
                                                 "__code unsigned char table[40] = {1,2,3,4,5,6,7,8,9,10};\n"
                                                 "void main(void) { unsigned char i = 0; while (1) P1 = table[i++ % 40]; }\n";
    const std::string command = "cd " + dir.string() + " && sdcc -mmcs51 blink.c > sdcc.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "sdcc could not build the test program";
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(tessary::ReadWholeFile((dir / "blink.ihx").string(), bytes, error)) << error;
    const std::string text(bytes.begin(), bytes.end());
    auto* first = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    auto* second = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(first, 7);
    Mem8051Init(second, 7);
    ASSERT_TRUE(lptlink::ParseHex(text, *first));
    ASSERT_TRUE(lptlink::ParseHex(lptlink::FormatHex(*first), *second));
    EXPECT_EQ(0, std::memcmp(first->image, second->image, sizeof first->image));
    EXPECT_EQ(first->usedPageCount, second->usedPageCount);
    const Mem8051Span* a = first->spans.next;
    const Mem8051Span* b = second->spans.next;
    for (; a && b; a = a->next, b = b->next) {
        EXPECT_EQ(a->first, b->first);
        EXPECT_EQ(a->last, b->last);
    }
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_GT(first->usedPageCount, 0);
    Mem8051Destroy(first);
    Mem8051Destroy(second);
    std::free(first);
    std::free(second);
    fs::remove_all(dir);
}
