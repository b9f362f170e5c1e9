#pragma once
// Random 8051 programs for the comparison with ucsim's s51: every opcode but the
// breakpoint, laid out over the first 16 KiB so that AJMP and ACALL appear with all
// eight page encodings. The programs stay inside what both simulators model alike:
// memory below internal RAM 0x80 and XDATA below 0x800, the stack in 0x50 to 0x7F, no
// writes to SP, DPS, MPAGE, P2, timer controls or interrupt registers, no bit writes
// to P or the bank bits, and an ACC write after every byte write to PSW (s51 updates P
// only when ACC is written).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

struct RandomProgram {
    std::array<std::uint8_t, 0x8000> image;
    std::vector<std::pair<int, int>> spans;  // first address, length
    std::string Hex() const;
};

RandomProgram GenerateProgram(std::uint32_t seed);

}  // namespace simtest
