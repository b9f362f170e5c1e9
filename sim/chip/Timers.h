#pragma once
// Timers 0 and 1 in all four modes, counting machine cycles (three timer ticks per
// machine cycle when CKCON selects the clock divided by 4). Their whole state lives
// in the SFRs, so a program, the doors and a monitor see and set the same counts.
// There are no timer pins: counter mode counts nothing, and GATE follows the
// INT0/INT1 latches of port 3.

#include "sim/chip/ChipMemory.h"

namespace sim {

class Timers {
public:
    static bool Running(const ChipMemory& memory);
    static void Advance(ChipMemory& memory, unsigned machineCycles);
};

}  // namespace sim
