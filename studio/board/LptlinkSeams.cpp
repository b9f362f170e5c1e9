#include "studio/board/LptlinkSeams.h"

#include "lptlink/lptlink.h"

namespace tessary {

std::uint8_t LptlinkPortIo::Read(std::uint16_t address) {
    return static_cast<std::uint8_t>(lptlinkDirectRead(address));
}

void LptlinkPortIo::Write(std::uint16_t address, std::uint8_t value) { lptlinkDirectWrite(address, value); }

void SystemBusTiming::SleepMilliseconds(int ms) { lptlinkSleepAtLeast(ms); }

void SystemBusTiming::WaitMicroseconds(int us) { lptlinkWaitAtLeast(us); }

}  // namespace tessary
