#pragma once
// The registers behind AG_RegAcc and AG_AllReg and the register page: R0 to R7 of the
// selected bank and the program counter from the monitor's save area, the special
// function registers through the memory rules, all into the host's register block.
//
// The monitor's entry at 0x7648, the reset vector 0x0000 and the user's reset jump at
// 0x0036 all mean "the program has not started": they read as 0, and a program counter
// at one of them resumes through the user's reset jump.

#include <cstdint>
#include <optional>

#include "monitor/driver/TargetMemory.h"

namespace kx6500mon {

// Register numbers of AG_RegAcc.
inline constexpr std::uint32_t kRegR0 = 0;  // to 7
inline constexpr std::uint32_t kRegAcc = 20;
inline constexpr std::uint32_t kRegDptr = 24;
inline constexpr std::uint32_t kRegPc = 0x500;

class TargetRegisters {
public:
    TargetRegisters(MonitorCommands& commands, TargetMemory& memory) : commands_(commands), memory_(memory) {}

    static std::uint16_t ReportedPc(std::uint16_t saved);
    static std::uint16_t StoredPc(std::uint16_t pc);

    // AG_AllReg code 1: the block from the target. False when the link failed.
    bool Refresh(HostRegisterBlock& block);
    // AG_AllReg code 2: R0 to R7 and the program counter into the save area, then every
    // special function register.
    bool WriteAll(const HostRegisterBlock& block);
    // AG_RegAcc; results as AG_MemAcc's.
    std::uint32_t Read(HostRegisterBlock& block, std::uint32_t number, std::uint32_t& value);
    std::uint32_t Write(std::uint32_t number, std::uint32_t value);
    // The program counter as the host sees it.
    std::optional<std::uint16_t> ProgramCounter();
    bool WriteProgramCounter(std::uint16_t pc) { return commands_.WriteSavedPc(StoredPc(pc)); }

private:
    std::uint32_t WriteSfrs(std::uint8_t first, std::span<const std::uint8_t> bytes);
    std::optional<std::uint8_t> ReadSfr(std::uint8_t sfr);

    MonitorCommands& commands_;
    TargetMemory& memory_;
};

}  // namespace kx6500mon
