#include "studio/board/LptlinkSeams.h"

#include <time.h>

#include <cerrno>

#include "lptlink/lptlink.h"

namespace tessary {

std::uint8_t LptlinkPortIo::Read(std::uint16_t address) {
    return static_cast<std::uint8_t>(lptlinkDirectRead(address));
}

void LptlinkPortIo::Write(std::uint16_t address, std::uint8_t value) { lptlinkDirectWrite(address, value); }

void SystemBusTiming::SleepMilliseconds(int ms) {
    timespec request{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

void SystemBusTiming::WaitMicroseconds(int us) { lptlinkWaitAtLeast(us); }

}  // namespace tessary
