#include "studio/config/TakeOver.h"

#include <gtest/gtest.h>

using namespace tessary;
using F = FieldId;

namespace {

// Controls holding valid KX6200 defaults.
FormControls ValidControls() {
    FormControls c;
    c.text[Index(F::Xtal)] = "14.745600";
    c.text[Index(F::Ppm)] = "20";
    c.text[Index(F::RfA)] = "868.297200";
    c.text[Index(F::RfB)] = "868.297200";
    c.text[Index(F::Rf)] = "433.92";
    c.text[Index(F::Sep)] = "64";
    c.text[Index(F::Rate)] = "2.4";
    c.text[Index(F::Power)] = "0";
    return c;
}

}  // namespace

TEST(TakeOver, ValidControlsAreReadRounded) {
    FormControls c = ValidControls();
    c.text[Index(F::Xtal)] = "14.74560049";
    c.text[Index(F::Rate)] = "2.45";
    c.text[Index(F::RfA)] = "868.2972123456";
    c.selection[Index(F::Mode)] = 3;
    FieldValues v;
    EXPECT_FALSE(TakeOver(TakeOverKX6200(), c, v));
    EXPECT_EQ(v.number[Index(F::Xtal)], 14.7456);
    EXPECT_EQ(v.number[Index(F::Rate)], 2.5);
    EXPECT_EQ(v.number[Index(F::RfA)], 868.2972123456);  // RF fields keep every decimal
    EXPECT_EQ(v.index[Index(F::Mode)], 3);
}

TEST(TakeOver, FirstFailureStopsAndEarlierFieldsAreAlreadyRead) {
    FormControls c = ValidControls();
    c.selection[Index(F::Format)] = 2;
    c.selection[Index(F::Mode)] = 4;
    c.text[Index(F::Power)] = "11";
    c.text[Index(F::Xtal)] = "abc";  // later in the order: never reached
    FieldValues v;
    v.index[Index(F::Mode)] = 1;
    const auto failure = TakeOver(TakeOverKX6200(), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::Power);
    EXPECT_EQ(failure->message.text, "Please enter a number between -20 and 10.");
    EXPECT_EQ(failure->message.icon, MessageIcon::Exclamation);
    EXPECT_EQ(v.index[Index(F::Format)], 2);  // read before the power
    EXPECT_EQ(v.index[Index(F::Mode)], 1);    // after it: untouched
}

TEST(TakeOver, ParseFailureIsAPlainBox) {
    FormControls c = ValidControls();
    c.text[Index(F::Sep)] = "64 kHz";
    FieldValues v;
    const auto failure = TakeOver(TakeOverKX6200(), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::Sep);
    EXPECT_EQ(failure->message.text, "The frequency separation is not a floating point number");
    EXPECT_EQ(failure->message.icon, MessageIcon::None);
}

TEST(TakeOver, BothRfFieldsAreParsedBeforeEitherIsChecked) {
    FormControls c = ValidControls();
    c.text[Index(F::RfA)] = "1200";  // out of range
    c.text[Index(F::RfB)] = "868,3";  // not a number
    FieldValues v;
    auto failure = TakeOver(TakeOverKX6200(), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::RfB);
    EXPECT_EQ(failure->message.text, "The RF frequency is not a floating point number");

    c.text[Index(F::RfB)] = "250";
    failure = TakeOver(TakeOverKX6200(), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::RfA);
    c.text[Index(F::RfA)] = "868";
    failure = TakeOver(TakeOverKX6200(), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::RfB);
}

TEST(TakeOver, OrderDecidesWhichMessageComesFirst) {
    // KX6200: crystal before accuracy before RF before separation before rate.
    FormControls c = ValidControls();
    c.text[Index(F::Rate)] = "100";
    c.text[Index(F::Sep)] = "300";
    c.text[Index(F::Ppm)] = "600";
    FieldValues v;
    EXPECT_EQ(TakeOver(TakeOverKX6200(), c, v)->focus, F::Ppm);
    c.text[Index(F::Ppm)] = "20";
    EXPECT_EQ(TakeOver(TakeOverKX6200(), c, v)->focus, F::Sep);
    c.text[Index(F::Sep)] = "150";  // passes on every form
    EXPECT_EQ(TakeOver(TakeOverKX6200(), c, v)->focus, F::Rate);
}

TEST(TakeOver, KX6500CrystalCodeAllowsUpTo24MHz) {
    FormControls c = ValidControls();
    c.text[Index(F::Xtal)] = "18.432";
    FieldValues v;
    EXPECT_FALSE(TakeOver(TakeOverKX6500(), c, v));
    const auto failure = TakeOver(TakeOverKX6200(), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::Xtal);
    EXPECT_NE(failure->message.text.find("9 - 16 MHz"), std::string::npos);
    EXPECT_EQ(failure->message.text.find("16 - 20"), std::string::npos);
}

TEST(TakeOver, KX6300PowerGoesTo12) {
    FormControls c = ValidControls();
    c.text[Index(F::Power)] = "12";
    FieldValues v;
    EXPECT_FALSE(TakeOver(TakeOverKX6300(), c, v));
    EXPECT_TRUE(TakeOver(TakeOverKX6200(), c, v));
}

TEST(TakeOver, KX400FormChecksByDeviceNumber) {
    FormControls c = ValidControls();
    c.text[Index(F::Xtal)] = "12";
    c.text[Index(F::Rf)] = "5";
    c.text[Index(F::Rate)] = "1000";
    c.text[Index(F::Power)] = "40";  // no power check on this form
    FieldValues v;
    EXPECT_FALSE(TakeOver(TakeOverKX400(-1), c, v));
    auto failure = TakeOver(TakeOverKX400(4), c, v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->focus, F::Rate);  // data rate comes before RF on this form
    c.text[Index(F::Rate)] = "1.2";
    failure = TakeOver(TakeOverKX400(9), c, v);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->message.text.find("for the KX900."), std::string::npos);
}
