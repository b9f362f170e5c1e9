#include "studio/board/CPortDlg.h"

#include <gtest/gtest.h>

#include "BoardRig.h"
#include "studio/board/LockPoll.h"

using namespace tessary;
using namespace tessary::testing;

TEST(CPortDlg, PreselectsTheStoredAddress) {
    MemorySettingsStore profile;
    CPortDlg fresh(profile);
    fresh.OnOpen();
    EXPECT_EQ(fresh.Selection(), 1);  // default 0x378

    profile.WriteInt("Settings", "Port address", 0x3CB);
    CPortDlg third(profile);
    third.OnOpen();
    EXPECT_EQ(third.Selection(), 2);

    profile.WriteInt("Settings", "Port address", 0x3BC);  // not 0x3CB
    CPortDlg none(profile);
    none.OnOpen();
    EXPECT_FALSE(none.Selection());
    none.SetAsDefault();  // nothing selected: nothing stored
    EXPECT_EQ(profile.ReadInt("Settings", "Port address", 0), 0x3BC);
}

TEST(CPortDlg, SetAsDefaultStoresOkMovesTheSharedPort) {
    BoardRig rig;
    rig.Install();
    MemorySettingsStore profile;
    CRegister registers;  // its bus shares the application's port
    CPortDlg dlg(profile);
    dlg.OnOpen();
    dlg.Select(0);
    dlg.SetAsDefault();
    EXPECT_EQ(profile.ReadInt("Settings", "Port address", 0), 0x278);
    EXPECT_EQ(rig.port.BaseAddress(), 0x378);  // the port in use did not change
    dlg.OnOpen();
    EXPECT_EQ(dlg.Selection(), 0);
    dlg.OnOK(registers);
    EXPECT_EQ(rig.port.BaseAddress(), 0x278);
    registers.GetBus().GetLockPin();
    EXPECT_EQ(rig.io.log.back().address, 0x279);
}

TEST(CRegisterDownload, ChangedOnlySendsFlaggedFrames) {
    BoardRig rig(std::make_unique<sim::FrameBoard>(true));
    rig.Install();
    CRegister registers;
    registers.Download(true);  // all flagged after construction
    EXPECT_EQ(rig.board->Writes().size(), 8u);
    registers.Download(true);
    EXPECT_EQ(rig.board->Writes().size(), 8u);
    registers.SetFrame(3, 0x0ABC);
    registers.SetFrameBits(5, 0x0001, true);
    registers.Download(true);
    ASSERT_EQ(rig.board->Writes().size(), 10u);
    EXPECT_EQ(rig.board->Writes()[8], std::make_pair(3, 0x0ABC));
    EXPECT_EQ(rig.board->Writes()[9], std::make_pair(5, 0x0001));
    registers.SetFrame(0, 0x1234);
    registers.Download(false);  // all eight, flags cleared
    EXPECT_EQ(rig.board->Writes().size(), 18u);
    EXPECT_EQ(rig.board->Register(0), 0x1234);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(registers.FrameChanged(i));
}

TEST(LockPoll, KX6500ReadsE4UnlessDisabled) {
    BoardRig rig(std::make_unique<sim::KX6500Board>());
    rig.port.WriteData(0xC1);
    CConfig config;
    config.kx6200.lock = 0;
    const auto before = rig.io.log.size();
    EXPECT_EQ(PollLock(true, config, rig.bus), kLockDisabled);
    EXPECT_EQ(rig.io.log.size(), before);  // no bus traffic
    config.kx6200.lock = 1;
    EXPECT_EQ(PollLock(true, config, rig.bus), kNotLocked);
    // Power the synthesiser with a word in range and calibrate: E4h bit 0 rises.
    rig.bus.WriteRegisterKX6500(0xC8, 0x10);
    rig.bus.WriteRegisterKX6500(0xCA, 0x00);
    rig.bus.WriteRegisterKX6500(0xCB, 0xA0);
    rig.bus.WriteRegisterKX6500(0xCC, 0x75);
    rig.bus.WriteRegisterKX6500(0xE5, 0xA6);
    EXPECT_EQ(PollLock(true, config, rig.bus), kInLock);
}
