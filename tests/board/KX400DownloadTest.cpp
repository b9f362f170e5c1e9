// The KX400/KX900 form's Update Device on the virtual boards: the frames decoded from
// the raw port writes, the chip's frames, and the lock pin.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BoardRig.h"
#include "studio/board/CRegisterViewModel.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CConfigView.h"

using namespace tessary;
using namespace tessary::testing;
using F = FieldId;

namespace {

// The 16-bit words on the frame bus, decoded from the data-register writes alone: a
// bit on each falling clock edge, a word on each rising edge of the load strobe.
std::vector<int> DecodeFrames(const std::vector<std::uint8_t>& data) {
    std::vector<int> words;
    unsigned shift = 0;
    std::uint8_t before = 0;
    for (std::uint8_t d : data) {
        if ((before & 0x02) && !(d & 0x02)) shift = ((shift << 1) | ((d >> 2) & 1u)) & 0xFFFFu;
        if (!(before & 0x08) && (d & 0x08)) words.push_back(static_cast<int>(shift));
        before = d;
    }
    return words;
}

class KX400Download : public ::testing::TestWithParam<bool> {
protected:
    KX400Download() : rig(std::make_unique<sim::FrameBoard>(GetParam())) { rig.Install(); }
    void SetUp() override {
        doc = std::make_unique<TessaryDocument>();  // its register set takes the rig's port
        doc->config.kx400.deviceNumber = GetParam() ? 9 : 4;
        doc->config.Reset();
        form = std::make_unique<CConfigView>(*doc, messages);
        form->OnInitialUpdate();
        messages.shown.clear();
    }
    std::vector<int> Expected() const {
        std::vector<int> w;
        for (int i = 0; i < 8; ++i) w.push_back((doc->registers.GetFrame(i) & 0x1FFF) | i << 13);
        return w;
    }

    BoardRig rig;
    std::unique_ptr<TessaryDocument> doc;
    RecordingMessageSink messages;
    std::unique_ptr<CConfigView> form;
};

}  // namespace

TEST_P(KX400Download, LandsFramesAToHInOrder) {
    form->controls.selection[Index(F::Mode)] = 1;
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(DecodeFrames(rig.DataWrites()), Expected());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.board->Register(i), doc->registers.GetFrame(i)) << i;
    EXPECT_EQ(rig.board->Register(1).value() >> 11, GetParam() ? 1 : 2);
    EXPECT_EQ(rig.timing.Count("sleep 1"), 8 * 35);
    EXPECT_TRUE(doc->modified);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(doc->registers.FrameChanged(i));
}

TEST_P(KX400Download, AFailedStepSendsTheLastCompletedFramesARefusedValueNothing) {
    const std::vector<int> completed = Expected();
    form->controls.text[Index(F::Power)] = "30";  // no class reaches 30 dBm
    EXPECT_TRUE(form->UpdateDevice());
    EXPECT_EQ(messages.ShownTexts().back(), kx400::msg::kIllegalPower);
    EXPECT_EQ(DecodeFrames(rig.DataWrites()), completed);

    rig.io.log.clear();
    form->controls.text[Index(F::Sep)] = "wide";
    EXPECT_FALSE(form->UpdateDevice());
    EXPECT_EQ(messages.ShownTexts().back(), "The frequency separation is not a floating point number");
    EXPECT_TRUE(rig.io.log.empty());
}

TEST_P(KX400Download, LockPinFollowsTheChip) {
    EXPECT_EQ(PollLock(false, doc->config, rig.bus), kNotLocked);  // nothing sent yet
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(PollLock(false, doc->config, rig.bus), kInLock);
    form->controls.selection[Index(F::Lock)] = 2;  // Disabled
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(PollLock(false, doc->config, rig.bus), kNotLocked);
    form->controls.selection[Index(F::Lock)] = 1;
    form->controls.selection[Index(F::Mode)] = 3;  // PD osc. off: the synthesizer is down
    ASSERT_TRUE(form->UpdateDevice());
    EXPECT_EQ(PollLock(false, doc->config, rig.bus), kNotLocked);
}

INSTANTIATE_TEST_SUITE_P(Boards, KX400Download, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "KX900" : "KX400"; });

TEST(FrameBus, AFrameWiderThanThirteenBitsKeepsItsAddress) {
    BoardRig rig(std::make_unique<sim::FrameBoard>(false));
    rig.Install();
    CRegister registers;
    registers.SetFrame(0, 0x2005);  // bit 13 would read as frame B's address
    registers.SetFrame(1, 0x0123);
    registers.Download(false);
    const auto words = DecodeFrames(rig.DataWrites());
    ASSERT_EQ(words.size(), 8u);
    EXPECT_EQ(words[0], 0x0005);
    EXPECT_EQ(words[1], 0x2123);
    EXPECT_EQ(rig.board->Register(0), 0x0005);
    EXPECT_EQ(rig.board->Register(1), 0x0123);
    EXPECT_EQ(registers.GetFrame(0), 0x2005);  // the frame itself stays as computed

    rig.io.log.clear();
    registers.SetFrame(3, -1);
    registers.Download(true);  // the changed-only path masks the same way
    EXPECT_EQ(DecodeFrames(rig.DataWrites()), std::vector<int>{0x7FFF});
    EXPECT_EQ(rig.board->Register(2), 0x040);
}

TEST(RegisterViewFrames, AClickTakesEveryBoxOverAndTellsTheOtherViews) {
    struct Counter : DocumentView {
        int updates = 0;
        void OnUpdate() override { ++updates; }
    };
    BoardRig rig(std::make_unique<sim::FrameBoard>(true));
    rig.Install();
    TessaryDocument doc;
    Counter other;
    doc.AddView(&other);
    RecordingMessageSink messages;
    CRegisterView view(doc, messages);
    view.ShowFromRegisters();
    for (int i = 0; i < 8; ++i) doc.registers.ClearFrameChanged(i);
    view.boxes[2][12] = 1;  // C00
    view.boxes[2][6] = 0;   // C06, set initially
    view.OnBoxClicked();
    EXPECT_EQ(doc.registers.GetFrame(2), 0x001);
    EXPECT_TRUE(doc.registers.FrameChanged(2));
    EXPECT_FALSE(doc.registers.FrameChanged(0));
    EXPECT_EQ(other.updates, 1);
    EXPECT_EQ(view.Word(2), "4001");
    // A frame wider than 13 bits shows and saves the word the bus sends.
    doc.registers.SetFrame(5, 0x3ABC);
    EXPECT_EQ(view.Word(5), "BABC");
    EXPECT_NE(view.EepText().find("05:1ABC\n"), std::string::npos);
    doc.RemoveView(&other);
}
