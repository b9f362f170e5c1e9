#include "monitor/driver/TargetRegisters.h"

#include <algorithm>

#include "monitor/driver/SfrRules.h"

namespace kx6500mon {

namespace {
constexpr std::uint16_t kResetVector = 0x0000;
constexpr std::uint16_t kMonitorEntry = 0x7648;
constexpr std::uint8_t kSfrDpl0 = 0x82;
constexpr std::uint8_t kSfrDpl1 = 0x84;
constexpr std::size_t Sfr(std::uint8_t sfr) { return static_cast<std::size_t>(sfr - 0x80); }
}  // namespace

std::uint16_t TargetRegisters::ReportedPc(std::uint16_t saved) {
    return saved == kResetVector || saved == VectorPatch::kUserResetJump || saved == kMonitorEntry ? 0 : saved;
}

std::uint16_t TargetRegisters::StoredPc(std::uint16_t pc) {
    return pc == kResetVector || pc == kMonitorEntry ? VectorPatch::kUserResetJump : pc;
}

std::optional<std::uint16_t> TargetRegisters::ProgramCounter() {
    const auto saved = commands_.SavedPc();
    if (!saved) return std::nullopt;
    if (*saved == kResetVector || *saved == kMonitorEntry) {
        if (!commands_.WriteSavedPc(VectorPatch::kUserResetJump)) return std::nullopt;
    }
    return ReportedPc(*saved);
}

bool TargetRegisters::Refresh(HostRegisterBlock& block) {
    const auto pc = ProgramCounter();
    const SaveArea* area = pc ? commands_.ReadSaveArea() : nullptr;
    if (!area) return false;
    std::copy_n(area->begin() + save::kR0, 8, block.r);
    block.pc = *pc;
    std::uint32_t errorAddress = 0;
    return memory_.Read(HOST_ADDRESS(HOST_SPACE_DATA, 0x80), block.sfr, errorAddress) == AG_OK;
}

bool TargetRegisters::WriteAll(const HostRegisterBlock& block) {
    const SaveArea* current = commands_.ReadSaveArea();
    if (!current) return false;
    SaveArea area = *current;
    std::copy_n(block.r, 8, area.begin() + save::kR0);
    const std::uint16_t pc = StoredPc(static_cast<std::uint16_t>(block.pc & 0xFFFF));
    area[save::kPcHigh] = static_cast<std::uint8_t>(pc >> 8);
    area[save::kPcLow] = static_cast<std::uint8_t>(pc & 0xFF);
    if (!commands_.WriteSaveArea(0, area)) return false;
    return WriteSfrs(0x80, block.sfr) == AG_OK;
}

std::uint32_t TargetRegisters::WriteSfrs(std::uint8_t first, std::span<const std::uint8_t> bytes) {
    std::uint32_t errorAddress = 0;
    return memory_.Write(HOST_ADDRESS(HOST_SPACE_DATA, first), bytes, errorAddress);
}

std::optional<std::uint8_t> TargetRegisters::ReadSfr(std::uint8_t sfr) {
    std::uint8_t value = 0;
    std::uint32_t errorAddress = 0;
    if (memory_.Read(HOST_ADDRESS(HOST_SPACE_DATA, sfr), std::span(&value, 1), errorAddress) != AG_OK)
        return std::nullopt;
    return value;
}

std::uint32_t TargetRegisters::Read(HostRegisterBlock& block, std::uint32_t number, std::uint32_t& value) {
    const bool known = number < 8 || number == kRegAcc || number == kRegDptr || number == kRegPc;
    if (!known) return AG_UNKNOWN_CODE;
    if (!Refresh(block)) return AG_NOT_ACCESSIBLE;
    if (number < 8) {
        value = block.r[number];
    } else if (number == kRegAcc) {
        value = block.sfr[Sfr(kSfrAcc)];
    } else if (number == kRegDptr) {
        const std::size_t low = Sfr(block.sfr[Sfr(kSfrDps)] & 1 ? kSfrDpl1 : kSfrDpl0);
        value = static_cast<std::uint32_t>(block.sfr[low + 1] << 8 | block.sfr[low]);
    } else {
        value = HOST_ADDRESS(HOST_SPACE_CODE, block.pc);
    }
    return AG_OK;
}

std::uint32_t TargetRegisters::Write(std::uint32_t number, std::uint32_t value) {
    const auto byte = static_cast<std::uint8_t>(value & 0xFF);
    if (number < 8) {
        // The bank's bytes of internal RAM are the save area's R0 to R7.
        const SaveArea* area = commands_.ReadSaveArea();
        if (!area) return AG_NOT_ACCESSIBLE;
        const std::uint32_t address = ((*area)[save::kPsw] & kPswBankBits) + number;
        std::uint32_t errorAddress = 0;
        return memory_.Write(HOST_ADDRESS(HOST_SPACE_DATA, address), std::span(&byte, 1), errorAddress);
    }
    if (number == kRegAcc) return WriteSfrs(kSfrAcc, std::span(&byte, 1));
    if (number == kRegDptr) {
        const auto dps = ReadSfr(kSfrDps);
        if (!dps) return AG_NOT_ACCESSIBLE;
        const std::uint8_t bytes[] = {byte, static_cast<std::uint8_t>((value >> 8) & 0xFF)};
        return WriteSfrs(*dps & 1 ? kSfrDpl1 : kSfrDpl0, bytes);
    }
    if (number == kRegPc) return WriteProgramCounter(static_cast<std::uint16_t>(value & 0xFFFF)) ? AG_OK : AG_WRITE_ERROR;
    return AG_UNKNOWN_CODE;
}

}  // namespace kx6500mon
