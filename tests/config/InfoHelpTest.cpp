#include "studio/config/InfoHelp.h"

#include <gtest/gtest.h>

#include <set>

using namespace tessary;

TEST(InfoHelp, StringNumbersFollowEachFormsRule) {
    EXPECT_EQ(InfoStringNumber(InfoForm::KX6200, 1200), 1259);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX6200, 1201), 1239);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX6500, 1200), 1274);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX6500, 1201), 1254);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX6300, 1301), 1214);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX400, 1001, 4), 1122);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX400, 1001, 9), 1101);
    EXPECT_EQ(InfoStringNumber(InfoForm::KX400, 1001, -1), 1101);
}

TEST(InfoHelp, EveryButtonReachesItsOwnTitle) {
    std::set<int> strings;
    for (InfoForm form : {InfoForm::KX6200, InfoForm::KX6500, InfoForm::KX6300}) {
        for (int b = 0; b < InfoButtonCount(form); ++b) {
            const int number = InfoStringNumber(form, InfoButtonControl(form, b));
            EXPECT_TRUE(strings.insert(number).second) << "string " << number << " used twice";
            EXPECT_TRUE(InfoMessage(form, b)) << b;
        }
    }
    EXPECT_EQ(InfoButtonCount(InfoForm::KX6200), 15);
    EXPECT_EQ(InfoButtonCount(InfoForm::KX6500), 15);
    EXPECT_EQ(InfoButtonCount(InfoForm::KX6300), 11);
    EXPECT_EQ(InfoButtonCount(InfoForm::KX400), 14);
    EXPECT_EQ(InfoMessage(InfoForm::KX6200, 0)->caption, "KX6200: Crystal frequency");
    EXPECT_EQ(InfoMessage(InfoForm::KX6200, 6)->caption, "X6200: RF Output power");
    EXPECT_EQ(InfoMessage(InfoForm::KX6200, 11)->caption, "KX6200:Operator mode");
    EXPECT_EQ(InfoMessage(InfoForm::KX6500, 13)->caption, "KX6500: Input / output match");
    EXPECT_EQ(InfoMessage(InfoForm::KX6300, 10)->caption, "KX6300: Match");
    EXPECT_EQ(InfoMessage(InfoForm::KX400, 13, 4)->caption, "KX400: VCO current");
    EXPECT_EQ(InfoMessage(InfoForm::KX400, 3, 9)->caption, "KX900: IF Stage");
    EXPECT_FALSE(InfoMessage(InfoForm::KX6200, 15));
}

TEST(InfoHelp, KX6200AndKX6500HelpHasABodyForEveryParameter) {
    for (InfoForm form : {InfoForm::KX6200, InfoForm::KX6500}) {
        for (int b = 0; b < InfoButtonCount(form); ++b) {
            const auto m = InfoMessage(form, b);
            ASSERT_TRUE(m);
            EXPECT_EQ(m->icon, MessageIcon::Information);
            EXPECT_GT(m->text.size(), 2u) << m->caption;
        }
    }
    EXPECT_EQ(InfoMessage(InfoForm::KX6200, 14)->text, "TBD");
    EXPECT_EQ(InfoMessage(InfoForm::KX6200, 14)->caption, "Build in test");
}
