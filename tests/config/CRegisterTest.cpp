#include "studio/config/CRegister.h"

#include <gtest/gtest.h>

using namespace tessary;

TEST(CRegister, FramesStartWithTheirInitialValuesAllMarkedChanged) {
    CRegister r;
    EXPECT_EQ(r.GetFrame(0), 0x002);
    EXPECT_EQ(r.GetFrame(1), 0);
    EXPECT_EQ(r.GetFrame(2), 0x040);
    for (int i = 0; i < kFrameCount; ++i) EXPECT_TRUE(r.FrameChanged(i)) << i;
}

TEST(CRegister, SetFrameBitsMarksOnlyRealChanges) {
    CRegister r;
    for (int i = 0; i < kFrameCount; ++i) r.ClearFrameChanged(i);
    r.SetFrameBits(1, 0x10, false);  // already clear
    EXPECT_FALSE(r.FrameChanged(1));
    r.SetFrameBits(2, 0x040, true);  // already set
    EXPECT_FALSE(r.FrameChanged(2));
    r.SetFrameBits(1, 0x10, true);
    EXPECT_TRUE(r.FrameChanged(1));
    EXPECT_EQ(r.TestFrameBits(1, 0x30), 1);
    EXPECT_EQ(r.TestFrameBits(1, 0x20), 0);
    r.SetFrame(3, 0x1FFF);
    EXPECT_TRUE(r.FrameChanged(3));
    EXPECT_EQ(r.GetFrame(3), 0x1FFF);
}

TEST(CRegister, ImagesAreSeparateAndSlot36BelongsToThePrimaryImage) {
    CRegister r;
    r.SetReg(36, 0x17);  // the KX6500 estimator byte
    EXPECT_EQ(r.GetReg(36), 0x17);
    EXPECT_EQ(r.GetReg6300(0), 0);
    r.SetReg6300(69, 5);
    EXPECT_EQ(r.GetReg6300(69), 5);
    r.SetRegBits(10, 0x81, true);
    r.SetRegBits(10, 0x01, false);
    EXPECT_EQ(r.GetReg(10), 0x80);
    r.SetRegBits6300(1, 0x02, true);
    EXPECT_EQ(r.GetReg6300(1), 0x02);
    EXPECT_EQ(r.GetReg(1), 0);
    // Out-of-range slots are ignored, never written elsewhere.
    r.SetReg(37, 99);
    r.SetReg(-1, 99);
    r.SetReg6300(70, 99);
    r.SetFrame(8, 99);
    EXPECT_EQ(r.GetReg(37), 0);
    EXPECT_EQ(r.GetReg6300(70), 0);
    EXPECT_EQ(r.GetReg6300(0), 0);
    EXPECT_EQ(r.GetFrame(8), 0);
}

TEST(CTmpReg, SetFrameFieldShiftsToTheMaskAndKeepsOtherBits) {
    CTmpReg t;
    EXPECT_EQ(t.GetFrame(2), 0x040);
    t.SetFrameField(2, 0x0F00, 0x5);
    EXPECT_EQ(t.GetFrame(2), 0x540);
    t.SetFrameField(2, 0x0F00, 0x3);
    EXPECT_EQ(t.GetFrame(2), 0x340);
    t.SetFrameField(0, 0x0001, 0);
    EXPECT_EQ(t.GetFrame(0), 0x002);
    t.SetFrameField(0, 0, 7);  // an empty mask changes nothing
    EXPECT_EQ(t.GetFrame(0), 0x002);
    t.SetFrameBits(0, 0x002, false);
    EXPECT_EQ(t.GetFrame(0), 0);
}
