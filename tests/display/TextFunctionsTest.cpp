#include <gtest/gtest.h>

#include "display/core/Bindings.h"
#include "display/core/TextFunctions.h"

using namespace kx6500disp;
using Bytes = std::vector<std::uint8_t>;

TEST(TextFunctions, PrechecksAndHexConversions) {
    EXPECT_TRUE(IsHexText("0a1f"));  // upper-cased first
    EXPECT_FALSE(IsHexText(""));
    EXPECT_FALSE(IsHexText("0x1F"));
    EXPECT_TRUE(IsDecimalText("0123"));
    EXPECT_FALSE(IsDecimalText(""));
    EXPECT_FALSE(IsDecimalText("-1"));
    EXPECT_FALSE(IsDecimalText(" 1"));

    EXPECT_EQ(HexTextToBytes("ABC", 8), std::nullopt);  // odd length
    EXPECT_EQ(HexTextToBytes("0a1F", 8), (Bytes{0x0A, 0x1F}));
    EXPECT_EQ(HexTextToBytes("0a1F", 1), (Bytes{0x0A}));
    EXPECT_EQ(HexTextToBytes("0G", 1), std::nullopt);
    EXPECT_EQ(HexTextToBytes("", 4), Bytes{});
    const Bytes b{0x05, 0xAB, 0x00};
    EXPECT_EQ(BytesToHexText(b.data(), b.size()), "05AB00");

    EXPECT_EQ(DotSeparatedHex("AABBCC"), "AA.BB.CC");
    EXPECT_EQ(DotSeparatedHex("ABC"), "A.BC");  // counted from the end
    EXPECT_EQ(DotSeparatedHex("AB"), "AB");
    EXPECT_EQ(DotSeparatedHex(""), "");
}

TEST(TextFunctions, RealsAndIntegers) {
    EXPECT_DOUBLE_EQ(*ParseDecimalReal("76.8"), 76.8);
    EXPECT_DOUBLE_EQ(*ParseDecimalReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(*ParseDecimalReal("5."), 5.0);
    for (const char* bad : {"", ".", "1.2.3", "-1", " 1", "1e3", "1,5"}) EXPECT_EQ(ParseDecimalReal(bad), std::nullopt) << bad;
    EXPECT_EQ(ParseDecimalReal(std::string(400, '9')), std::nullopt);  // beyond a double

    EXPECT_EQ(FormatReal(433.92, 4), "433.9200");
    EXPECT_EQ(FormatReal(76.8, 3), "76.800");
    EXPECT_EQ(FormatReal(0, 4), "0.0000");

    EXPECT_EQ(ParseInt32("-5"), -5);
    EXPECT_EQ(ParseInt32(" 7 "), 7);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "-", "2147483648", "99999999999", "12a", "+3", "1 2", "0x10"})
        EXPECT_EQ(ParseInt32(bad), std::nullopt) << bad;
}

TEST(TextFunctions, ControlIdsFromCaptions) {
    EXPECT_EQ(ControlIdFromCaption("RF buffer:  0x"), "RF buffer");
    EXPECT_EQ(ControlIdFromCaption("&Refresh"), "Refresh");
    EXPECT_EQ(ControlIdFromCaption("-> real value: "), "-> real value");
    EXPECT_EQ(ControlIdFromCaption("-> fRef:"), "-> fRef");
    EXPECT_EQ(ControlIdFromCaption("FLTIM:         0x"), "FLTIM");
    EXPECT_EQ(ControlIdFromCaption("Settling time (auto only):"), "Settling time (auto only)");
    EXPECT_EQ(ControlIdFromCaption("Power && &Clock Control"), "Power & Clock Control");
    EXPECT_EQ(WithoutMnemonics("&Radio && Modem"), "Radio & Modem");
}
