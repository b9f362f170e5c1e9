// Registers through the driver: AG_RegAcc, AG_AllReg with the program-counter rules,
// and the register page.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/monitor/DriverRig.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {

struct RegisterRig : DriverRig {
    RegisterRig() {
        Start();
        monitor.Saved(0) = 0x11;  // ACC
        monitor.Saved(1) = 0x08;  // PSW: bank 1
        monitor.Saved(2) = 0x22;  // DPL
        monitor.Saved(3) = 0x33;  // DPH
        monitor.SetPc(0x1234);
        monitor.Saved(6) = 0x40;
        for (int r = 0; r < 8; ++r) monitor.Saved(7 + r) = static_cast<std::uint8_t>(0xA0 + r);
        monitor.sfr[0x84] = 0x44;
        monitor.sfr[0x85] = 0x55;
        monitor.sfr[0x86] = 0x00;
    }
    std::uint32_t Reg(std::uint32_t number) {
        std::uint32_t value = 0;
        EXPECT_EQ(driver.RegAcc(1, number, &value), AG_OK);
        return value;
    }
    std::uint32_t SetReg(std::uint32_t number, std::uint32_t value) { return driver.RegAcc(2, number, &value); }
    std::string Row(std::uint32_t id, bool* changed = nullptr) {
        char text[32] = "untouched";
        const std::uint32_t mark = log->page->read(id, text, sizeof text);
        if (changed) *changed = mark != 0;
        return text;
    }
    // Makes the driver read the target again, as after a run.
    void Invalidate() {
        MenuEntry* menu = driver.Menu();
        menu[0].open(&menu[0]);
    }
};

}  // namespace

TEST(DriverRegisters, ReadFromTheSaveAreaAndTheSpecialFunctionRegisters) {
    RegisterRig rig;
    ASSERT_EQ(rig.driver.AllReg(1), AG_OK);
    for (int r = 0; r < 8; ++r) EXPECT_EQ(rig.block.r[r], 0xA0 + r);
    EXPECT_EQ(rig.block.pc, 0x1234u);
    EXPECT_EQ(rig.block.sfr[0xE0 - 0x80], 0x11);
    EXPECT_EQ(rig.block.sfr[0xC8 - 0x80], rig.monitor.sfr[0xC8]);
    EXPECT_EQ(rig.Reg(5), 0xA5u);
    EXPECT_EQ(rig.Reg(20), 0x11u);
    EXPECT_EQ(rig.Reg(24), 0x3322u);  // DPTR0
    EXPECT_EQ(rig.Reg(0x500), 0xFF001234u);
    // DPS bit 0 selects DPTR1.
    rig.monitor.sfr[0x86] = 0x01;
    rig.Invalidate();
    EXPECT_EQ(rig.Reg(24), 0x5544u);
}

TEST(DriverRegisters, ProgramCounterAtTheMonitorOrTheResetJumpReadsZero) {
    RegisterRig rig;
    for (std::uint16_t saved : {std::uint16_t{0x7648}, std::uint16_t{0x0000}}) {
        rig.monitor.SetPc(saved);
        rig.Invalidate();
        EXPECT_EQ(rig.Reg(0x500), 0xFF000000u);
        EXPECT_EQ(rig.monitor.Pc(), 0x0036) << saved;  // resumes through the user's reset jump
    }
    rig.Clear();
    rig.Invalidate();
    EXPECT_EQ(rig.Reg(0x500), 0xFF000000u);
    EXPECT_EQ(rig.Requests(cmd::kWriteHeader), 0);  // 0x0036 stays as it is

    // Writes reach the save area before the call returns.
    EXPECT_EQ(rig.SetReg(0x500, 0xFF000000), AG_OK);
    EXPECT_EQ(rig.monitor.Pc(), 0x0036);
    EXPECT_EQ(rig.SetReg(0x500, 0x7648), AG_OK);
    EXPECT_EQ(rig.monitor.Pc(), 0x0036);
    EXPECT_EQ(rig.SetReg(0x500, 0xFF000200), AG_OK);
    EXPECT_EQ(rig.monitor.Pc(), 0x0200);
    EXPECT_EQ(rig.Reg(0x500), 0xFF000200u);
}

TEST(DriverRegisters, WritesGoWhereTheProgramWillFindThem) {
    RegisterRig rig;
    const std::uint8_t iram0b = rig.monitor.iram[0x0B];
    EXPECT_EQ(rig.SetReg(3, 0x5A), AG_OK);
    EXPECT_EQ(rig.monitor.Saved(10), 0x5A);
    EXPECT_EQ(rig.monitor.iram[0x0B], iram0b);
    EXPECT_EQ(rig.SetReg(20, 0x99), AG_OK);
    EXPECT_EQ(rig.monitor.Saved(0), 0x99);
    EXPECT_EQ(rig.SetReg(24, 0xBEEF), AG_OK);
    EXPECT_EQ(rig.monitor.Saved(2), 0xEF);
    EXPECT_EQ(rig.monitor.Saved(3), 0xBE);
    EXPECT_EQ(rig.Reg(3), 0x5Au);
    EXPECT_EQ(rig.Reg(20), 0x99u);
    EXPECT_EQ(rig.log->callbacks.back().first, HOST_CB_REFRESH);

    rig.monitor.sfr[0x86] = 0x01;
    rig.Invalidate();
    EXPECT_EQ(rig.SetReg(24, 0x0102), AG_OK);
    EXPECT_EQ(rig.monitor.sfr[0x84], 0x02);
    EXPECT_EQ(rig.monitor.sfr[0x85], 0x01);
}

TEST(DriverRegisters, WriteAllPutsTheBlockIntoTheSaveAreaAndTheRegisters) {
    RegisterRig rig;
    ASSERT_EQ(rig.driver.AllReg(1), AG_OK);
    for (int r = 0; r < 8; ++r) rig.block.r[r] = static_cast<std::uint8_t>(r);
    rig.block.pc = 0x7648;
    rig.block.sfr[0xC8 - 0x80] = 0x77;
    rig.Clear();
    ASSERT_EQ(rig.driver.AllReg(2), AG_OK);
    for (int r = 0; r < 8; ++r) EXPECT_EQ(rig.monitor.Saved(7 + r), r);
    EXPECT_EQ(rig.monitor.Pc(), 0x0036);
    EXPECT_EQ(rig.monitor.sfr[0xC8], 0x77);
    EXPECT_EQ(rig.RequestsOf(cmd::kWriteHeader).at(0).data, (std::vector<std::uint8_t>{0xCC, 0x07, 0xE0, 22}));
    EXPECT_EQ(rig.log->callbacks.back().first, HOST_CB_REFRESH);
}

TEST(DriverRegisters, ThePageHasItsRowsAndFormats) {
    RegisterRig rig;
    const HostRegisterPage* page = rig.log->page;
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->count, 176u);
    std::vector<std::string> headings;
    int bits = 0;
    for (std::uint32_t i = 0; i < page->count; ++i) {
        if (page->rows[i].level == 0) headings.push_back(page->rows[i].name);
        bits += page->rows[i].level == 2;
    }
    EXPECT_EQ(headings, (std::vector<std::string>{"Registers", "System", "Flash", "Modem", "Radio", "Ports",
                                                  "Serial Interfaces", "Timers", "Triac", "Replacement mech.",
                                                  "Others"}));
    EXPECT_EQ(bits, 41);
    EXPECT_EQ(rig.Row(2), "0xa2");
    EXPECT_EQ(rig.Row(8), "0x1234");
    EXPECT_EQ(rig.Row(130), "0x3322");
    EXPECT_EQ(rig.Row(0xE0), "0x11");
    EXPECT_EQ(rig.Row(256), "0x08");      // PSW
    EXPECT_EQ(rig.Row(256 + 4), "1       ");  // rs0
    EXPECT_EQ(rig.Row(256 + 5), "0       ");  // rs1
    EXPECT_EQ(rig.Row(RegisterPage::kHeadingBase), "");
}

TEST(DriverRegisters, ARowIsMarkedWhileItsValueHasChanged) {
    RegisterRig rig;
    bool changed = true;
    rig.Row(0xE0, &changed);
    EXPECT_FALSE(changed);  // nothing shown before
    rig.monitor.Saved(0) = 0x12;
    rig.Invalidate();
    EXPECT_EQ(rig.Row(0xE0, &changed), "0x12");
    EXPECT_TRUE(changed);
    rig.Row(0xE0, &changed);
    EXPECT_FALSE(changed);
}

TEST(DriverRegisters, PageWritesChangeRegistersAndSingleBits) {
    RegisterRig rig;
    const HostRegisterPage* page = rig.log->page;
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->write(2, 0x42), 0u);
    EXPECT_EQ(rig.monitor.Saved(9), 0x42);
    EXPECT_EQ(page->write(8, 0x0300), 0u);
    EXPECT_EQ(rig.monitor.Pc(), 0x0300);
    EXPECT_EQ(page->write(0xC8, 0x3C), 0u);
    EXPECT_EQ(rig.monitor.sfr[0xC8], 0x3C);
    EXPECT_EQ(page->write(132, 0xA1B2), 0u);
    EXPECT_EQ(rig.monitor.sfr[0x84], 0xB2);
    EXPECT_EQ(rig.monitor.sfr[0x85], 0xA1);
    rig.monitor.sfr[0xA8] = 0x81;
    EXPECT_EQ(page->write(2 * 256 + 2, 1), 0u);  // IE.et0
    EXPECT_EQ(rig.monitor.sfr[0xA8], 0x83);
    EXPECT_EQ(page->write(256 + 8, 1), 0u);  // PSW.cy, into the save area
    EXPECT_EQ(rig.monitor.Saved(1), 0x88);
    EXPECT_NE(page->write(RegisterPage::kHeadingBase, 1), 0u);

    rig.driver.Link().SetFailed(true);
    EXPECT_NE(page->write(0xC8, 0), 0u);
}
