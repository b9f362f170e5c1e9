// The KX6200 form's Update Device, Reset and Calibrate, checked on the virtual chip.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BoardRig.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CConfigViewKX6200.h"

using namespace tessary;
using namespace tessary::testing;
using ::testing::ElementsAre;
using ::testing::Pair;
using F = FieldId;

namespace {

class KX6200Download : public ::testing::Test {
protected:
    KX6200Download() : rig(std::make_unique<sim::ThreeWireBoard>("kx6200")) { rig.Install(); }
    void SetUp() override {
        doc.OnNewDocument();
        form = std::make_unique<CConfigViewKX6200>(doc, messages);
        form->OnInitialUpdate();
        messages.shown.clear();
    }
    std::vector<int> WrittenAddresses() const {
        std::vector<int> a;
        for (const auto& [address, value] : rig.board->Writes()) a.push_back(address);
        return a;
    }
    std::string Lock() { return PollLock(false, doc.config, rig.bus); }

    BoardRig rig;
    TessaryDocument doc;
    RecordingMessageSink messages;
    std::unique_ptr<CConfigViewKX6200> form;
};

}  // namespace

TEST_F(KX6200Download, WritesTheTwentyThreeRegistersInOrder) {
    doc.registers.SetReg(19, 0x5C);  // address 14h carries whatever slot 19 holds
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_THAT(WrittenAddresses(),
                ElementsAre(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
                            0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x1C, 0x42));
    for (const auto& [address, value] : rig.board->Writes()) EXPECT_EQ(rig.board->Register(address), value);
    EXPECT_EQ(rig.board->Register(0x00), 0x11);
    EXPECT_EQ(rig.board->Register(0x0A), 0x02);  // FRONT_END from slot 34
    EXPECT_EQ(rig.board->Register(0x14), 0x5C);
    EXPECT_EQ(rig.board->Register(0x1C), 0x00);
    EXPECT_EQ(rig.board->Register(0x42), 0x25);
    EXPECT_EQ(rig.timing.events.size(), 0u);  // no pauses at all
}

TEST_F(KX6200Download, DirectionCheckStopsBeforeAnyWrite) {
    form->controls.selection[Index(F::DirA)] = 1;  // RX mode, A active, A set to Tx
    EXPECT_FALSE(form->UpdateDevice());
    EXPECT_EQ(messages.ShownTexts().back(), CConfigViewKX6200::kRxNotActivated);
    EXPECT_TRUE(rig.board->Writes().empty());

    form->controls.selection[Index(F::DirA)] = 0;
    form->controls.selection[Index(F::Mode)] = 1;  // TX with A on Rx
    EXPECT_FALSE(form->UpdateDevice());
    EXPECT_EQ(messages.ShownTexts().back(), CConfigViewKX6200::kTxNotActivated);
    EXPECT_TRUE(rig.board->Writes().empty());

    form->controls.selection[Index(F::Active)] = 1;  // B is Tx: passes
    EXPECT_TRUE(form->UpdateDevice());
    EXPECT_EQ(rig.board->Register(0x00), 0xE1);

    form->controls.selection[Index(F::Mode)] = 2;  // PD: no check at all
    form->controls.selection[Index(F::Active)] = 0;
    form->controls.selection[Index(F::DirA)] = 1;
    EXPECT_TRUE(form->UpdateDevice());
    EXPECT_EQ(rig.board->Register(0x00), 0x3F);
}

TEST_F(KX6200Download, CalculationMessagesComeBeforeTheDirectionMessage) {
    form->controls.text[Index(F::Ppm)] = "30";
    form->controls.selection[Index(F::DirA)] = 1;
    EXPECT_FALSE(form->UpdateDevice());
    EXPECT_THAT(messages.ShownTexts(),
                ElementsAre(kx6200::msg::kIfUncertainty, CConfigViewKX6200::kRxNotActivated));
}

TEST_F(KX6200Download, RefusedValueStillDownloadsTheLastCalculation) {
    form->controls.text[Index(F::RfA)] = "433.92";
    form->controls.text[Index(F::Rate)] = "oops";
    EXPECT_TRUE(form->UpdateDevice());
    EXPECT_EQ(messages.ShownTexts().front(), "The data rate is not a floating point number");
    EXPECT_EQ(rig.board->Register(0x01), 0x75);  // the 868 MHz word of the last calculation
    EXPECT_EQ(rig.board->Writes().size(), 23u);
}

TEST_F(KX6200Download, ResetPulsesTheResetBit) {
    form->OnChipReset();
    EXPECT_THAT(rig.board->Writes(), ElementsAre(Pair(0x00, 0x10), Pair(0x00, 0x11)));
}

TEST_F(KX6200Download, CalibrateStartsAndStopsWith40msBetween) {
    form->OnCalibrate();
    EXPECT_THAT(rig.board->Writes(), ElementsAre(Pair(0x0E, 0x26), Pair(0x0E, 0xA6), Pair(0x0E, 0x26)));
    EXPECT_THAT(rig.timing.events, ElementsAre("sleep 40"));
    // The pause lies between the second and the third write.
    int writesBeforeSleep = 0;
    for (const auto& a : rig.io.log) writesBeforeSleep += a.kind == 'W' && a.address == 0x378;
    EXPECT_GT(writesBeforeSleep, 0);
}

TEST_F(KX6200Download, LockNeedsCalibrationAfterTheLastFrequencyChange) {
    EXPECT_EQ(Lock(), kNotLocked);
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);  // not calibrated yet
    form->OnCalibrate();
    EXPECT_EQ(Lock(), kInLock);
    ASSERT_TRUE(form->UpdateDevice());  // same words: still calibrated
    EXPECT_EQ(Lock(), kInLock);
    form->controls.text[Index(F::RfA)] = "869.5";
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);
    form->OnCalibrate();
    EXPECT_EQ(Lock(), kInLock);
    form->OnChipReset();  // a reset returns the chip to its power-on registers
    EXPECT_EQ(Lock(), kNotLocked);
}

TEST_F(KX6200Download, PoweredDownOrLockPinDisabledReadsNotLocked) {
    ASSERT_TRUE(form->UpdateDevice());
    form->OnCalibrate();
    ASSERT_EQ(Lock(), kInLock);
    form->controls.selection[Index(F::Lock)] = 4;  // "Disabled"
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);
    form->controls.selection[Index(F::Lock)] = 0;
    form->controls.selection[Index(F::Mode)] = 2;  // PD
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);
}
