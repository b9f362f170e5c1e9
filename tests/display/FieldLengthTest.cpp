// A field with a length takes no more characters than that, typed or pasted, as its
// window's edit field does; the commit sees only what the field holds.
#include <gtest/gtest.h>

#include "display/core/PeripheralView.h"
#include "tests/display/FakeTarget.h"

using namespace kx6500disp;
using kx6500disp::testing::FakeTarget;

TEST(PeripheralView, AFieldTakesNoMoreThanItsLength) {
    FakeTarget t;
    SfrAccess sfr(t);
    RecordingNotifier n;
    const std::vector<ControlSpec> table{HexField("Pair:  0x", {0x90, 0x91}).MaxLength(3), HexField("Free:", {0x92})};
    PeripheralView view(sfr, n, Precheck::Hex, table);
    view.TypeText("Pair", "12345");
    EXPECT_EQ(view.Find("Pair")->screen.text, "123");
    view.Enter("Pair");
    EXPECT_EQ(t.data[0x90], 0x01);
    EXPECT_EQ(t.data[0x91], 0x23);
    view.TypeText("Free", "123");  // without a length: the whole text, refused by the commit
    view.Enter("Free");
    EXPECT_EQ(view.Find("Free")->screen.text, "ERR");
    EXPECT_EQ(t.data[0x92], 0x00);
}
