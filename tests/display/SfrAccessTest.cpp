#include <gtest/gtest.h>

#include "display/core/SfrAccess.h"
#include "tests/display/FakeTarget.h"

using namespace kx6500disp;
using kx6500disp::testing::FakeTarget;
using Strings = std::vector<std::string>;

TEST(SfrAccess, WriteSfrBitsIsOneReadModifyWrite) {
    FakeTarget t;
    SfrAccess sfr(t);
    t.data[0xE1] = 0x5A;
    EXPECT_TRUE(sfr.WriteSfrBits(0xE1, 0x30, 0xF0));
    EXPECT_EQ(t.log, (Strings{"R F00000E1 1", "W F00000E1 1 3A"}));

    t.ClearLog();
    t.failReads = true;
    EXPECT_FALSE(sfr.WriteSfrBits(0xE1, 0xFF, 0xFF));
    EXPECT_EQ(t.log, (Strings{"R F00000E1 1 FAIL"}));  // nothing written after a failed read
    EXPECT_EQ(t.data[0xE1], 0x3A);
}

TEST(SfrAccess, WriteSfrBitsPairRewritesTheRangeChangingOnlyItsEnds) {
    FakeTarget t;
    SfrAccess sfr(t);
    for (int a = 0xE6; a <= 0xEE; ++a) t.data[a] = static_cast<std::uint8_t>(0xFF - a);
    auto before = t.data;
    EXPECT_TRUE(sfr.WriteSfrBitsPair(0xE6, 0x04, 0x0C, 0x00, 0x06, 8));
    ASSERT_EQ(t.log.size(), 2u);
    EXPECT_EQ(t.log[0], "R F00000E6 9");
    EXPECT_EQ(t.log[1].substr(0, 13), "W F00000E6 9 ");
    before[0xE6] = static_cast<std::uint8_t>((before[0xE6] & ~0x0C) | 0x04);
    before[0xEE] = static_cast<std::uint8_t>(before[0xEE] & ~0x06);
    EXPECT_EQ(t.data, before);

    t.ClearLog();
    t.failReads = true;
    EXPECT_FALSE(sfr.WriteSfrBitsPair(0xE6, 0, 0x0C, 0, 0x06, 8));
    EXPECT_TRUE(t.Writes().empty());
    t.failReads = false;
    EXPECT_FALSE(sfr.WriteSfrBitsPair(0xF8, 0, 1, 0, 1, 8));  // past 0xFF: not even read
    EXPECT_EQ(t.log.size(), 1u);
}

TEST(SfrAccess, BlockReadsAndTheReadThroughRefresh) {
    FakeTarget t;
    SfrAccess sfr(t);
    t.data[0x80] = 1;
    t.data[0xFF] = 2;
    t.data[0x7F] = 9;  // internal RAM: not part of the image
    SfrImage image{};
    ASSERT_TRUE(sfr.ReadBlock(image));
    EXPECT_EQ(image[0x80], 1);
    EXPECT_EQ(image[0xFF], 2);
    EXPECT_EQ(image[0x7F], 0);

    image.fill(0x55);
    t.failReads = true;
    EXPECT_FALSE(sfr.ReadBlock(image));
    EXPECT_EQ(image[0x80], 0x55);  // an unread buffer never reaches the image

    t.failReads = false;
    t.ClearLog();
    sfr.RefreshFromTarget();
    EXPECT_EQ(t.log, (Strings{"R F0800080 128"}));
    EXPECT_EQ(sfr.GetClockHz(), 14745600u);
}
