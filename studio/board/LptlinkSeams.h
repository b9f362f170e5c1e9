#pragma once
// The real side of the port and timing seams: lptlink's direct port access, its
// pauses (operating-system sleeps that never end early) and its microsecond busy wait.

#include "studio/board/CParallelPort.h"

namespace tessary {

class LptlinkPortIo : public PortIo {
public:
    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;
};

class SystemBusTiming : public BusTiming {
public:
    void SleepMilliseconds(int ms) override;
    void WaitMicroseconds(int us) override;
};

}  // namespace tessary
