#pragma once
// ucsim's s51 as the reference 8051: runs programs for a number of instructions in one
// session and reads back what they left.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

struct MachineState {
    int pc = -1;
    std::uint64_t cycles = 0;  // machine cycles
    std::array<int, 128> iram{};
    std::array<int, 128> sfr{};  // 0x80 to 0xFF
    std::vector<int> xdata = std::vector<int>(0x800, 0);
};

struct S51Run {
    std::string hexPath;
    std::uint64_t steps;
};

// One state per run, from reset with internal RAM, XDATA 0x000 to 0x7FF and the code
// memory cleared as the KX6500 starts (0, 0 and 0xFF). False with a message when s51
// cannot be run or its answer cannot be read.
bool RunS51(const std::vector<S51Run>& runs, const std::string& workDir, std::vector<MachineState>& states,
            std::string& error);

}  // namespace simtest
