#pragma once
// How the debugging commands write target addresses and show memory and registers:
// "S:ADDR" with the space letter (c code, x XDATA, d data and special function
// registers, i indirect internal RAM) and a hexadecimal address, the register line and
// the register names of "reg set".

#include <cstdint>
#include <optional>
#include <string>

#include "host/core/MemoryLines.h"
#include "host/kx6500_host.h"

namespace kxdebug {

// A parsed address with the size of its space in the host's image.
struct TargetAddress : SpaceAddress {
    std::uint32_t size;
    std::uint32_t Address() const { return HOST_ADDRESS(space, offset); }
};

// "x:0010", "C:0x7F00"; nothing, with the reason, for anything else.
std::optional<TargetAddress> ParseTargetAddress(const std::string& text, std::string& error);
// "PC=%04X A=%02X B=%02X PSW=%02X SP=%02X DPTR=%04X R0=%02X ... R7=%02X"; DPTR as DPS
// selects.
std::string FormatRegisters(const HostRegisterBlock& block);
// The register numbers of AG_RegAcc by name (R0..R7, A, DPTR, PC; any case).
std::optional<std::uint32_t> RegisterNumber(const std::string& name);

}  // namespace kxdebug
