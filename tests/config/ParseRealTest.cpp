#include "studio/config/ParseReal.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace tessary;

TEST(ParseReal, AcceptsNumbersWithOneLeadingBlankAndTrailingBlanks) {
    EXPECT_EQ(ParseReal("868.2972"), 868.2972);
    EXPECT_EQ(ParseReal("0"), 0.0);
    EXPECT_EQ(ParseReal("0.5"), 0.5);
    EXPECT_EQ(ParseReal(" 0"), 0.0);
    EXPECT_EQ(ParseReal("\t-20"), -20.0);
    EXPECT_EQ(ParseReal("5 "), 5.0);
    EXPECT_EQ(ParseReal("5 \t "), 5.0);
    EXPECT_EQ(ParseReal("1e1"), 10.0);
    // The C conversion skips further white space itself.
    EXPECT_EQ(ParseReal("  7"), 7.0);
}

TEST(ParseReal, RefusesZerosThatDoNotStartWithTheDigitAndTrailingText) {
    EXPECT_FALSE(ParseReal("abc"));
    EXPECT_FALSE(ParseReal("-0"));
    EXPECT_FALSE(ParseReal(""));
    EXPECT_FALSE(ParseReal(" "));
    EXPECT_FALSE(ParseReal("5 MHz"));
    EXPECT_FALSE(ParseReal("868,2972"));
    EXPECT_FALSE(ParseReal("0x"));  // "0" then "x"
    EXPECT_FALSE(ParseReal("1.2.3"));
}

TEST(ParseReal, ReadsOnlyTheFirst31Characters) {
    // 31 characters of number, then text that would make the field fail.
    const std::string text = std::string(30, '1') + "2" + "junk";
    const auto value = ParseReal(text);
    ASSERT_TRUE(value);
    EXPECT_DOUBLE_EQ(*value, std::stod(std::string(30, '1') + "2"));
}

TEST(ParseReal, IgnoresTheProcessLocale) {
    // A GUI toolkit may switch the process to the user's locale; fields keep a point.
    const char* set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(ParseReal("2.45"), 2.45);
    EXPECT_EQ(FormatReal("%1.1f", 2.5), "2.5");
    if (set) std::setlocale(LC_NUMERIC, "C");
}

TEST(RoundToDecimals, HalvesGoAwayFromZero) {
    EXPECT_EQ(RoundToDecimals(14.74560049, 6), 14.7456);
    EXPECT_EQ(RoundToDecimals(2.45, 1), 2.5);
    EXPECT_EQ(RoundToDecimals(-2.45, 1), -2.5);
    EXPECT_EQ(RoundToDecimals(0.5, 0), 1.0);
    EXPECT_EQ(RoundToDecimals(-0.5, 0), -1.0);
    EXPECT_EQ(RoundToDecimals(5.9, 0), 6.0);
    EXPECT_EQ(RoundToDecimals(-5.4, 0), -5.0);
    EXPECT_EQ(RoundToDecimals(2.44, 1), 2.4);
    // A value without fraction comes back unchanged, bit for bit.
    EXPECT_EQ(RoundToDecimals(868.2972, 6), 868.2972);
    EXPECT_TRUE(std::isnan(RoundToDecimals(NAN, 1)));
}
