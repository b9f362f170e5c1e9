#include "studio/config/RangeChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tessary;

namespace {
const std::string kIllegal = "An illegal value has been entered.\n";
const std::string kThreeRanges = kIllegal + "The value must be between:\n\n\t3 - 4  MHz\n\t6 - 8  MHz\n\t9 - 16 MHz";
}  // namespace

TEST(RangeChecks, CrystalByCode) {
    for (double ok : {3.0, 4.0, 6.0, 8.0, 9.0, 14.7456, 16.0}) EXPECT_FALSE(CheckCrystal(ok, 1)) << ok;
    for (double bad : {2.999, 4.001, 5.0, 8.5, 16.001, 18.432}) EXPECT_EQ(CheckCrystal(bad, 1), kThreeRanges) << bad;

    for (double ok : {3.0, 16.0, 18.432, 20.0, 22.1184, 24.0}) EXPECT_FALSE(CheckCrystal(ok, 11)) << ok;
    EXPECT_EQ(CheckCrystal(24.01, 11), kIllegal +
                                           "The value must be between:\n\n\t3 - 4  MHz\n\t6 - 8  MHz\n\t9 - 16 MHz\n\t16 - "
                                           "20 MHz\n\t20 - 24 MHz");
    EXPECT_TRUE(CheckCrystal(5, 11));

    for (double code : {4.0, 9.0}) {
        EXPECT_FALSE(CheckCrystal(4, code));
        EXPECT_FALSE(CheckCrystal(13, code));
        EXPECT_EQ(CheckCrystal(3.9, code), kIllegal + "The value must be between 4.000000 and 13.000000 MHz.");
        EXPECT_TRUE(CheckCrystal(13.01, code));
    }
    // Device number -1 on the KX400/KX900 form falls to the three-range check.
    EXPECT_EQ(CheckCrystal(5, -1), kThreeRanges);
}

TEST(RangeChecks, RfSeparationRateAccuracy) {
    EXPECT_FALSE(CheckRfFrequency(300, 1));
    EXPECT_FALSE(CheckRfFrequency(1000, 1));
    EXPECT_EQ(CheckRfFrequency(1000.001, 1), kIllegal + "The value must be between 300.000 and 1000.000 MHz.");
    EXPECT_EQ(CheckRfFrequency(299, 4), kIllegal + "The value must be between 300.000 and 500.000 MHz \nfor the KX400.");
    EXPECT_FALSE(CheckRfFrequency(500, 4));
    EXPECT_EQ(CheckRfFrequency(799, 9), kIllegal + "The value must be between 800.000 and 1000.000 MHz \nfor the KX900.");
    EXPECT_FALSE(CheckRfFrequency(5, -1));
    EXPECT_FALSE(CheckRfFrequency(5, 11));

    EXPECT_FALSE(CheckSeparation(150, 1));
    EXPECT_FALSE(CheckSeparation(150, 4));
    EXPECT_FALSE(CheckSeparation(0, -1));
    EXPECT_EQ(CheckSeparation(201, -1), kIllegal + "The value must be between 0 and 200 kHz.");
    EXPECT_TRUE(CheckSeparation(-1, 1));

    EXPECT_FALSE(CheckDataRate(0.6, 1));
    EXPECT_FALSE(CheckDataRate(76.8, 1));
    EXPECT_EQ(CheckDataRate(0.5, 1), kIllegal + "The value must be between 0.6 and 76.8 kbaud.");
    EXPECT_EQ(CheckDataRate(9.7, 9), kIllegal + "The value must be between 0.3 and 9.6 kbps.");
    EXPECT_FALSE(CheckDataRate(0.3, 4));
    EXPECT_FALSE(CheckDataRate(1000, -1));

    EXPECT_FALSE(CheckAccuracy(0));
    EXPECT_FALSE(CheckAccuracy(500));
    EXPECT_EQ(CheckAccuracy(501), kIllegal + "The value must be between 0 and 500 ppm.");
}

TEST(RangeChecks, PowerMessageCarriesTheLimits) {
    EXPECT_FALSE(CheckOutputPower(10, -20, 10));
    EXPECT_EQ(CheckOutputPower(11, -20, 10), "Please enter a number between -20 and 10.");
    EXPECT_EQ(CheckOutputPower(-21, -20, 12), "Please enter a number between -20 and 12.");
}

TEST(RangeChecks, NotANumberAndInfinityNeverPass) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {static_cast<double>(NAN), inf, -inf}) {
        EXPECT_TRUE(CheckCrystal(bad, 1));
        EXPECT_TRUE(CheckCrystal(bad, 11));
        EXPECT_TRUE(CheckAccuracy(bad));
        EXPECT_TRUE(CheckRfFrequency(bad, 1));
        EXPECT_TRUE(CheckSeparation(bad, 1));
        EXPECT_TRUE(CheckDataRate(bad, 1));
        EXPECT_TRUE(CheckOutputPower(bad, -20, 10));
    }
}
