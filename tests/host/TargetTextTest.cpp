// Target addresses and the register line of the debugging commands.
#include <gtest/gtest.h>

#include "host/core/TargetText.h"

using namespace kxdebug;

TEST(TargetText, AddressesNameTheirSpace) {
    std::string error;
    const auto code = ParseTargetAddress("c:7F00", error);
    ASSERT_TRUE(code);
    EXPECT_EQ(code->Address(), 0xFF007F00u);
    EXPECT_EQ(ParseTargetAddress("X:0x10", error)->Address(), 0x01000010u);
    EXPECT_EQ(ParseTargetAddress("d:ff", error)->Address(), 0xF00000FFu);
    EXPECT_EQ(ParseTargetAddress("i:7F", error)->Address(), 0xF300007Fu);
    EXPECT_FALSE(ParseTargetAddress("d:100", error));
    EXPECT_EQ(error, "'d:100': the address must be hexadecimal below 0x100");
    EXPECT_FALSE(ParseTargetAddress("x:10000", error));
    EXPECT_FALSE(ParseTargetAddress("x:", error));
    EXPECT_FALSE(ParseTargetAddress("q:10", error));
    EXPECT_EQ(error, "'q:10': unknown space 'q' (c, x, d or i)");
    EXPECT_FALSE(ParseTargetAddress("0x10", error));
}

TEST(TargetText, RegistersWithTheDataPointerDpsSelects) {
    HostRegisterBlock b{};
    for (int r = 0; r < 8; ++r) b.r[r] = static_cast<std::uint8_t>(r);
    b.pc = 0xFF001234;
    b.sfr[0xE0 - 0x80] = 0xAA;
    b.sfr[0xF0 - 0x80] = 0xBB;
    b.sfr[0xD0 - 0x80] = 0x18;
    b.sfr[0x81 - 0x80] = 0x07;
    b.sfr[0x82 - 0x80] = 0x34;
    b.sfr[0x83 - 0x80] = 0x12;
    b.sfr[0x84 - 0x80] = 0x78;
    b.sfr[0x85 - 0x80] = 0x56;
    EXPECT_EQ(FormatRegisters(b),
              "PC=1234 A=AA B=BB PSW=18 SP=07 DPTR=1234 R0=00 R1=01 R2=02 R3=03 R4=04 R5=05 R6=06 R7=07");
    b.sfr[0x86 - 0x80] = 0x01;
    EXPECT_NE(FormatRegisters(b).find("DPTR=5678"), std::string::npos);
    EXPECT_EQ(RegisterNumber("r7"), 7u);
    EXPECT_EQ(RegisterNumber("A"), 20u);
    EXPECT_EQ(RegisterNumber("dptr"), 24u);
    EXPECT_EQ(RegisterNumber("PC"), 0x500u);
    EXPECT_FALSE(RegisterNumber("R8"));
    EXPECT_FALSE(RegisterNumber("B"));
}
