// The KX6500 form's download, calibration and hardware reset on the virtual board.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BoardRig.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CConfigViewKX6500.h"

using namespace tessary;
using namespace tessary::testing;
using ::testing::ElementsAre;
using ::testing::Pair;
using F = FieldId;

namespace {

class KX6500Download : public ::testing::Test {
protected:
    KX6500Download() : rig(std::make_unique<sim::KX6500Board>()) {
        rig.Install();
        rig.port.WriteData(0xC1);  // the board leaves its power-on reset
    }
    void SetUp() override {
        doc.OnNewDocument();
        form = std::make_unique<CConfigViewKX6500>(doc, messages);
        form->OnInitialUpdate();
        messages.shown.clear();
    }
    std::string Lock() { return PollLock(true, doc.config, rig.bus); }

    BoardRig rig;
    TessaryDocument doc;
    RecordingMessageSink messages;
    std::unique_ptr<CConfigViewKX6500> form;
};

}  // namespace

TEST_F(KX6500Download, EveryRegisterLandsInOrder) {
    ASSERT_TRUE(form->UpdateDevice());
    std::vector<int> addresses;
    for (const auto& [address, value] : rig.board->Writes()) addresses.push_back(address);
    EXPECT_THAT(addresses, ElementsAre(0xC8, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD9, 0xDA, 0xDB, 0xDC, 0xE1, 0xE2,
                                       0xE3, 0xE4, 0xE5, 0xE6, 0xEA, 0xEB, 0xEC, 0xEE, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD,
                                       0xFE, 0xFF, 0xB4, 0xC8));
    const auto& w = rig.board->Writes();
    EXPECT_EQ(w.front(), std::make_pair(0xC8, 0x30));
    EXPECT_EQ(w.back(), std::make_pair(0xC8, 0x10));
    const CRegister& reg = doc.registers;
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(rig.board->Register(0xC9 + i), reg.GetReg(i)) << i;
    for (int i = 7; i <= 10; ++i) EXPECT_EQ(rig.board->Register(0xD2 + i), reg.GetReg(i)) << i;
    // E4h reads its lock bit from the chip, the rest as written.
    for (int i = 11; i <= 15; ++i)
        EXPECT_EQ(rig.board->Register(0xD6 + i).value() & (i == 14 ? 0xFE : 0xFF), reg.GetReg(i)) << i;
    EXPECT_EQ(rig.board->Register(0xEA), reg.GetReg(18));
    EXPECT_EQ(rig.board->Register(0xEB), reg.GetReg(19));
    EXPECT_EQ(rig.board->Register(0xEC), reg.GetReg(20));
    EXPECT_EQ(rig.board->Register(0xEE), reg.GetReg(21));
    EXPECT_EQ(rig.board->Register(0xFC), 0x04);
    EXPECT_EQ(rig.board->Register(0xFD), reg.GetReg(33));
    EXPECT_EQ(rig.board->Register(0xFE), 0x08);
    EXPECT_EQ(rig.board->Register(0xFF), reg.GetReg(35));
    EXPECT_EQ(rig.board->Register(0xB4), reg.GetReg(36));
    EXPECT_EQ(rig.timing.Count("wait 200"), 30 * 32);
}

TEST_F(KX6500Download, DirectionIsCheckedBeforeTheCalculation) {
    form->controls.selection[Index(F::DirA)] = 1;
    form->OnChoiceChanged(F::DirA);             // A is now Tx while the mode is RX
    form->controls.text[Index(F::Ppm)] = "30";  // would warn if the form were applied
    messages.shown.clear();
    EXPECT_FALSE(form->UpdateDevice());
    EXPECT_THAT(messages.ShownTexts(), ElementsAre(SharedBlockForm::kRxNotActivated));
    EXPECT_TRUE(rig.board->Writes().empty());
}

TEST_F(KX6500Download, CalibrationLockAndHardwareReset) {
    form->controls.selection[Index(F::Lock)] = 1;  // "Enable"
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(Lock(), kNotLocked);
    const auto before = rig.board->Writes().size();
    form->OnCalibrate();
    ASSERT_EQ(rig.board->Writes().size(), before + 3);
    const std::vector<std::pair<int, int>> calibration(rig.board->Writes().begin() + static_cast<long>(before),
                                                       rig.board->Writes().end());
    EXPECT_THAT(calibration, ElementsAre(Pair(0xE5, 0x26), Pair(0xE5, 0xA6), Pair(0xE5, 0x26)));
    EXPECT_EQ(rig.timing.Count("sleep 40"), 1);
    EXPECT_EQ(Lock(), kInLock);
    form->OnChipReset();
    EXPECT_EQ(dynamic_cast<sim::KX6500Board*>(rig.board)->Resets(), 1);
    EXPECT_EQ(Lock(), kNotLocked);
    doc.config.kx6200.lock = 0;
    EXPECT_EQ(Lock(), kLockDisabled);
}
