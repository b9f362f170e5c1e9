#pragma once
// How the debugging commands write target addresses and show memory and registers:
// "S:ADDR" with the space letter (c code, x XDATA, d data and special function
// registers, i indirect internal RAM) and a hexadecimal address; memory as lines of up
// to 16 bytes, "X:0010 01 02 ...".

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "host/kx6500_host.h"

namespace kxdebug {

struct TargetAddress {
    char letter;          // upper case: C, X, D, I
    std::uint32_t space;  // the host address's space byte
    std::uint32_t offset;
    std::uint32_t size;   // of the space in the host's image
    std::uint32_t Address() const { return HOST_ADDRESS(space, offset); }
};

// "x:0010", "C:0x7F00"; nothing, with the reason, for anything else.
std::optional<TargetAddress> ParseTargetAddress(const std::string& text, std::string& error);
// The lines of a memory dump, each ending in a line end.
std::string FormatMemory(const TargetAddress& at, std::span<const std::uint8_t> bytes);
// "PC=%04X A=%02X B=%02X PSW=%02X SP=%02X DPTR=%04X R0=%02X ... R7=%02X"; DPTR as DPS
// selects.
std::string FormatRegisters(const HostRegisterBlock& block);
// The register numbers of AG_RegAcc by name (R0..R7, A, DPTR, PC; any case).
std::optional<std::uint32_t> RegisterNumber(const std::string& name);

}  // namespace kxdebug
