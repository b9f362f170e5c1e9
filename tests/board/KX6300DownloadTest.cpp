// The KX6300 form's Update Device, Reset and Calibrate, decoded by the virtual chip.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BoardRig.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CConfigView_KX6300.h"

using namespace tessary;
using namespace tessary::testing;
using ::testing::ElementsAre;
using ::testing::Pair;
using F = FieldId;

namespace {

class KX6300Download : public ::testing::Test {
protected:
    KX6300Download() : rig(std::make_unique<sim::ThreeWireBoard>("kx6300")) { rig.Install(); }
    void SetUp() override {
        doc.OnNewDocument();
        form = std::make_unique<CConfigView_KX6300>(doc, messages);
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
    std::unique_ptr<CConfigView_KX6300> form;
};

}  // namespace

TEST_F(KX6300Download, WritesTheNineteenRegistersInOrder) {
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_THAT(WrittenAddresses(), ElementsAre(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
                                                0x0B, 0x0C, 0x0D, 0x0E, 0x11, 0x13, 0x1C, 0x42));
    const int slots[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 25, 28};
    for (std::size_t i = 0; i < rig.board->Writes().size(); ++i)
        EXPECT_EQ(rig.board->Writes()[i].second, doc.registers.GetReg6300(slots[i])) << i;
    EXPECT_EQ(rig.board->Register(0x01), 0x58);
    EXPECT_EQ(rig.board->Register(0x0B), 0x50);
    EXPECT_EQ(rig.board->Register(0x11), 0x27);
    EXPECT_EQ(rig.timing.events.size(), 0u);  // no pauses at all
}

TEST_F(KX6300Download, NoDirectionCheckInAnyMode) {
    for (int mode = 0; mode < 5; ++mode) {
        form->controls.selection[Index(F::Mode)] = mode;
        form->controls.selection[Index(F::Active)] = mode % 2;
        EXPECT_TRUE(form->UpdateDevice());
        EXPECT_EQ(rig.board->Register(0x00), form->Document().registers.GetReg6300(0));
    }
    EXPECT_EQ(rig.board->Writes().size(), 5u * 19u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(KX6300Download, RefusedValueStillDownloadsTheLastCalculation) {
    form->controls.text[Index(F::RfA)] = "433.92";
    form->controls.text[Index(F::Sep)] = "wide";
    EXPECT_TRUE(form->UpdateDevice());
    EXPECT_THAT(messages.ShownTexts(), ElementsAre("The frequency separation is not a floating point number"));
    EXPECT_EQ(rig.board->Register(0x01), 0x58);  // the 868 MHz word of the last calculation
    EXPECT_EQ(rig.board->Writes().size(), 19u);
}

TEST_F(KX6300Download, WordBOutOfRangeDownloadsTheSlotsKept) {
    form->controls.text[Index(F::Xtal)] = "3.6864";
    form->controls.text[Index(F::RfA)] = "300";
    form->controls.text[Index(F::RfB)] = "1000";
    EXPECT_TRUE(form->UpdateDevice());
    EXPECT_THAT(messages.ShownTexts(), ElementsAre(kx6200::msg::kSynthOutOfLimit));
    // Slots 4 to 6 and so the chip keep the first display's 868.268 MHz word.
    EXPECT_EQ(rig.board->Register(0x04), 0x58);
    EXPECT_EQ(rig.board->Register(0x05), 0x33);
    EXPECT_EQ(rig.board->Register(0x06), 0x25);
}

TEST_F(KX6300Download, ResetThenCalibrate) {
    form->OnChipReset();
    form->OnCalibrate();
    EXPECT_THAT(rig.board->Writes(), ElementsAre(Pair(0x00, 0x00), Pair(0x00, 0x01), Pair(0x0E, 0x26),
                                                 Pair(0x0E, 0xA6), Pair(0x0E, 0x26)));
    EXPECT_THAT(rig.timing.events, ElementsAre("sleep 40"));
    // The buttons take the slots of the last calculation: B active, CAL with START.
    doc.registers.SetReg6300(0, 0x41);
    doc.registers.SetReg6300(14, 0xA7);
    form->OnChipReset();
    form->OnCalibrate();
    EXPECT_THAT(std::vector(rig.board->Writes().begin() + 5, rig.board->Writes().end()),
                ElementsAre(Pair(0x00, 0x40), Pair(0x00, 0x41), Pair(0x0E, 0x27), Pair(0x0E, 0xA7), Pair(0x0E, 0x27)));
}

TEST_F(KX6300Download, DefaultsDownloadedAndCalibratedAreInLock) {
    EXPECT_EQ(Lock(), kNotLocked);
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);  // not calibrated yet
    form->OnCalibrate();
    EXPECT_EQ(Lock(), kInLock);
    form->controls.selection[Index(F::Active)] = 1;  // B has its own calibration
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);
    form->OnCalibrate();
    EXPECT_EQ(Lock(), kInLock);
    form->controls.selection[Index(F::Mode)] = 1;  // PD
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);
    form->controls.selection[Index(F::Mode)] = 0;
    form->controls.selection[Index(F::Lock)] = 3;  // "Disabled": the pin stays high
    ASSERT_TRUE(form->UpdateDevice());
    form->OnCalibrate();
    EXPECT_EQ(Lock(), kNotLocked);
}
