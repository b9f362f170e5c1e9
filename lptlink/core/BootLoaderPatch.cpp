#include "lptlink/core/BootLoaderPatch.h"

#include <cctype>
#include <cmath>
#include <string>

#include "common/SerialTiming.h"

namespace lptlink {

bool BootLoaderPatch(Mem8051& mem, double clockMHz) {
    unsigned char id[32];
    lptlinkReadFrom8051Mem(&mem, id, 0x6B, 32);
    const std::string expected = "kx6500_boot 1.0";
    std::string text;
    for (unsigned char c : id) {
        if (c == 0) break;
        text += static_cast<char>(std::tolower(c));
    }
    if (text != expected) return false;
    const tessary::SerialTiming timing = tessary::SerialTimingFromClock(clockMHz);
    const auto clockByte = static_cast<unsigned char>(static_cast<int>(std::trunc(clockMHz * 1.25 + 1)));
    const auto reload = static_cast<unsigned char>(timing.reload);
    lptlinkWriteTo8051Mem(&mem, &clockByte, 0x3A, 1);
    lptlinkWriteTo8051Mem(&mem, &reload, 0x39, 1);
    const unsigned char mark[4] = {0x00, 0x78, 0x46, 0x46};
    lptlinkWriteTo8051Mem(&mem, mark, 0x6B, 4);
    return true;
}

}  // namespace lptlink
