// The in-memory target's spaces and files, and the memory texts of the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/MemoryTarget.h"
#include "host/core/MemoryLines.h"
#include "host/kx6500_host.h"

namespace fs = std::filesystem;
using namespace kxdebug;

namespace {
std::vector<std::uint8_t> FileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
struct TempDir {
    fs::path path = fs::temp_directory_path() / ("tessary_memtarget_" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};
}  // namespace

TEST(MemoryTarget, ServesTheDataSpaceAndXdataAndNothingElse) {
    MemoryTarget t;
    std::string error;
    ASSERT_TRUE(t.Open("", "", error));
    std::uint8_t b[4] = {1, 2, 3, 4};
    EXPECT_EQ(t.Write(0xF00000FE, 2, b), 0);
    EXPECT_EQ(t.Write(0xF00000FF, 2, b), 1);  // past 0xFF: nothing written
    EXPECT_EQ(t.Write(0x0100FFFE, 2, b + 2), 0);
    EXPECT_EQ(t.Write(0x01010000, 1, b), 1);  // beyond 16 bits
    for (std::uint32_t other : {0xFF000000u, 0x00000000u, 0xF3000000u}) EXPECT_EQ(t.Write(other, 1, b), 1);
    std::uint8_t r[2] = {};
    EXPECT_EQ(t.Read(0xF08000FE, 2, r), 0);  // the read-through flag changes nothing
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(r[1], 2);
    EXPECT_EQ(t.Read(0xFE00FFFE, 2, r), 0);  // the other XDATA code
    EXPECT_EQ(r[0], 3);
    EXPECT_EQ(t.Read(0xF00000FF, 2, r), 1);
    EXPECT_EQ(t.Read(0xF3000000, 1, r), 1);
}

TEST(MemoryTarget, FilesAreReadAtTheStartAndWrittenAtEveryWrite) {
    TempDir d;
    const fs::path sfr = d.path / "sfr.bin", xdata = d.path / "x.bin";
    std::ofstream(sfr, std::ios::binary) << std::string("\x11\x22", 2);  // short: the rest reads 0
    {
        MemoryTarget t;
        std::string error;
        ASSERT_TRUE(t.Open(sfr.string(), xdata.string(), error)) << error;
        std::uint8_t r[3] = {9, 9, 9};
        EXPECT_EQ(t.Read(0xF0000000, 3, r), 0);
        EXPECT_EQ(r[0], 0x11);
        EXPECT_EQ(r[2], 0x00);
        EXPECT_FALSE(fs::exists(xdata));  // not made by reads
        const std::uint8_t w[2] = {0xAA, 0xBB};
        EXPECT_EQ(t.Write(0xF0000080, 2, w), 0);
        EXPECT_EQ(FileBytes(sfr).size(), 0x82u);  // on disk before the target goes
        EXPECT_EQ(FileBytes(sfr)[0x81], 0xBB);
        EXPECT_EQ(t.Write(0x01000010, 1, w), 0);
        EXPECT_EQ(FileBytes(xdata).size(), 0x11u);
    }
    std::ofstream(d.path / "big.bin", std::ios::binary) << std::string(257, 'x');
    MemoryTarget big;
    std::string error;
    EXPECT_FALSE(big.Open((d.path / "big.bin").string(), "", error));
    EXPECT_NE(error.find("257 bytes, more than the 256 of its space"), std::string::npos) << error;

    MemoryTarget unwritable;
    ASSERT_TRUE(unwritable.Open((d.path / "no" / "such" / "dir.bin").string(), "", error));
    const std::uint8_t w = 5;
    EXPECT_EQ(unwritable.Write(0xF0000010, 1, &w), 1);
    std::uint8_t r = 0xFF;
    EXPECT_EQ(unwritable.Read(0xF0000010, 1, &r), 0);
    EXPECT_EQ(r, 0);  // a write that did not reach the file did not happen
}

TEST(MemoryLines, AddressesLinesAndTheAccessLog) {
    auto a = ParseSpaceAddress("x:0x10");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->letter, 'X');
    EXPECT_EQ(a->space, HOST_SPACE_XDATA);
    EXPECT_EQ(a->offset, 0x10u);
    EXPECT_EQ(ParseSpaceAddress("D:fF")->space, HOST_SPACE_DATA);
    EXPECT_FALSE(ParseSpaceAddress("q:10"));
    EXPECT_FALSE(ParseSpaceAddress("d:10000"));
    EXPECT_FALSE(ParseSpaceAddress("d:"));

    std::vector<std::uint8_t> bytes(18);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_EQ(FormatMemoryLines('D', 0x80, bytes),
              "D:0080 A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF\nD:0090 B0 B1\n");

    const std::uint8_t w[2] = {0x3A, 0x05};
    EXPECT_EQ(AccessLogLine(false, 0xF0000080, 128, nullptr, 0), "R F0000080 128");
    EXPECT_EQ(AccessLogLine(false, 0x01800010, 23, w, 1), "R 01800010 23 FAIL");
    EXPECT_EQ(AccessLogLine(true, 0xF00000E1, 2, w, 0), "W F00000E1 2 3A 05");
    EXPECT_EQ(AccessLogLine(true, 0xF00000E1, 1, w, 1), "W F00000E1 1 3A FAIL");
}
