#include "sim/monitor/BootLoader.h"

#include <algorithm>
#include <string_view>

#include "common/SerialTiming.h"

namespace sim::monitor {

namespace {

constexpr std::uint8_t kLjmp = 0x02, kSjmp = 0x80, kReti = 0x32;

struct ImageBytes {
    std::uint16_t address;
    std::array<std::uint8_t, 3> bytes;
    int count;
};

// The entries do what a monitor without its native code would: the reset entry idles,
// the interrupt entries return, and the address a reset entry saves after a jump leads
// back into it.
constexpr ImageBytes kEntries[] = {
    {kResetEntry, {kSjmp, 0xFE, 0}, 2},
    {kAfterResetJump, {kLjmp, kResetEntry >> 8, kResetEntry & 0xFF}, 3},
    {kSerialEntry, {kReti, 0, 0}, 1},
    {kBreakpointEntry, {kReti, 0, 0}, 1},
};

constexpr std::uint16_t kIdentityAt = 0x7F00;
constexpr std::string_view kIdentity = "KX6500 debug monitor, Tessary virtual target";

MonitorImage MakeImage() {
    MonitorImage image{};
    for (const ImageBytes& entry : kEntries)
        for (int i = 0; i < entry.count; ++i)
            image[static_cast<std::size_t>(entry.address - kMonitorStart + i)] = entry.bytes[static_cast<std::size_t>(i)];
    for (std::size_t i = 0; i < kIdentity.size(); ++i)
        image[kIdentityAt - kMonitorStart + i] = static_cast<std::uint8_t>(kIdentity[i]);
    return image;
}

}  // namespace

const MonitorImage& StandInImage() {
    static const MonitorImage image = MakeImage();
    return image;
}

bool MonitorInstalled(const KX6500Chip& chip) {
    const MonitorImage& image = StandInImage();
    return std::equal(image.begin(), image.end(), chip.Flash().begin() + kMonitorStart);
}

std::array<std::uint8_t, KX6500Chip::kPageSize> VectorPage(double clockMHz) {
    std::array<std::uint8_t, KX6500Chip::kPageSize> page;
    page.fill(0xFF);
    auto jump = [&page](std::size_t at, std::uint16_t target) {
        page[at] = kLjmp;
        page[at + 1] = static_cast<std::uint8_t>(target >> 8);
        page[at + 2] = static_cast<std::uint8_t>(target);
    };
    jump(0x0000, kResetEntry);
    jump(0x0033, kBreakpointEntry);
    jump(0x0036, kResetEntry);
    jump(0x003B, kSerialEntry);
    const tessary::SerialTiming timing = tessary::SerialTimingFromClock(clockMHz);
    page[kReloadByte] = static_cast<std::uint8_t>(timing.reload);
    page[kClockByte] = static_cast<std::uint8_t>(timing.clockByte);
    return page;
}

void InstallBootLoader(KX6500Chip& chip, double clockMHz) {
    const auto vectors = VectorPage(clockMHz);
    chip.ProgramPage(0, vectors);
    const MonitorImage& image = StandInImage();
    for (int page = kFirstMonitorPage; page < KX6500Chip::kPages; ++page)
        chip.ProgramPage(page, KX6500Chip::Page(image.data() + (page - kFirstMonitorPage) * KX6500Chip::kPageSize,
                                                KX6500Chip::kPageSize));
}

}  // namespace sim::monitor
