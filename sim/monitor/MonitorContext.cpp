#include "sim/monitor/MonitorContext.h"

#include "sim/monitor/BootLoader.h"

namespace sim::monitor {

using namespace sfr;

namespace {

std::uint8_t Low(unsigned v) { return static_cast<std::uint8_t>(v); }
std::uint8_t High(unsigned v) { return static_cast<std::uint8_t>(v >> 8); }

void SetSaved(KX6500Chip& chip, int offset, std::uint8_t value) { chip.SetXdata(kSaveArea + offset, value); }
std::uint8_t Saved(const KX6500Chip& chip, int offset) { return chip.Xdata(kSaveArea + offset); }

}  // namespace

std::uint16_t SavedPc(const KX6500Chip& chip) {
    return static_cast<std::uint16_t>(Saved(chip, kSavedPcHigh) << 8 | Saved(chip, kSavedPcLow));
}

void SaveContext(KX6500Chip& chip, Entry entry) {
    auto sp = chip.ReadSfr(SP);
    std::uint16_t pc = chip.Pc();
    // The return address the four pushed bytes begin with.
    std::uint16_t pushed = pc;
    switch (entry) {
        case Entry::PowerOn:
        case Entry::ResetJump:
            pc = entry == Entry::PowerOn ? 0x0000 : kAfterResetJump;
            pushed = kAfterResetJump;
            break;
        case Entry::Interrupt:
            // The hardware's call pushed the program's address (low byte first).
            pc = static_cast<std::uint16_t>(chip.Iram(sp) << 8 | chip.Iram(sp - 1));
            pushed = pc;
            sp = static_cast<std::uint8_t>(sp - 2);
            break;
        case Entry::AfterStep:
            break;
    }
    for (const SavedRegister& r : kSavedRegisters) SetSaved(chip, r.offset, chip.ReadSfr(r.sfr));
    SetSaved(chip, 6, sp);
    SetSaved(chip, kSavedPcHigh, High(pc));
    SetSaved(chip, kSavedPcLow, Low(pc));
    const std::uint8_t psw = chip.ReadSfr(PSW);
    const int bank = psw & (kRS1 | kRS0);
    for (int n = 0; n < 8; ++n) SetSaved(chip, kSavedR0 + n, chip.Iram(bank + n));

    // The monitor's stack: the return address, then ACC and PSW.
    chip.SetIram(sp + 1, Low(pushed));
    chip.SetIram(sp + 2, High(pushed));
    chip.SetIram(sp + 3, chip.ReadSfr(ACC));
    chip.SetIram(sp + 4, psw);

    // Its own working values. The register bank stays the program's.
    for (int n = 0; n < 8; ++n) chip.SetIram(bank + n, kMonitorR[static_cast<std::size_t>(n)]);
    chip.WriteSfr(SP, static_cast<std::uint8_t>(sp + 4));
    chip.WriteSfr(DPL, Low(kSaveArea));
    chip.WriteSfr(DPH, High(kSaveArea));
    // Timer 1 gives the bit rate: mode 2, reloaded from the byte the boot loader keeps,
    // counting at a quarter of the clock; timer 0's half of TMOD is left alone.
    chip.WriteSfr(TMOD, static_cast<std::uint8_t>((chip.ReadSfr(TMOD) & 0x0F) | 0x20));
    chip.WriteSfr(TH1, chip.Code(kReloadByte));
    chip.WriteSfr(TL1, chip.Code(kReloadByte));
    chip.WriteSfr(CKCON, static_cast<std::uint8_t>(chip.ReadSfr(CKCON) | 0x10));
    // No opcode replacement inside the monitor.
    chip.WriteSfr(RDATA, 0);
    chip.WriteSfr(RADRL, 0);
    chip.WriteSfr(RADRH, 0);
    chip.WriteSfr(PSW, static_cast<std::uint8_t>(bank));
    chip.WriteSfr(ACC, kMonitorAcc);
}

void RestoreContext(KX6500Chip& chip) {
    const std::uint8_t psw = Saved(chip, 1);
    const int bank = psw & (kRS1 | kRS0);
    for (int n = 0; n < 8; ++n) chip.SetIram(bank + n, Saved(chip, kSavedR0 + n));
    const std::uint16_t pc = SavedPc(chip);
    const std::uint8_t sp = Saved(chip, 6);
    // The monitor returns through RETI, which leaves the address it popped above the stack.
    chip.SetIram(sp + 1, Low(pc));
    chip.SetIram(sp + 2, High(pc));
    for (const SavedRegister& r : kSavedRegisters)
        if (r.sfr != ACC && r.sfr != PSW) chip.WriteSfr(r.sfr, Saved(chip, r.offset));
    chip.WriteSfr(PSW, psw);
    chip.WriteSfr(ACC, Saved(chip, 0));
    chip.SetPc(pc);
}

}  // namespace sim::monitor
