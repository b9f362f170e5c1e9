#include "monitor/driver/HostCache.h"

#include <array>

namespace kx6500mon {

namespace {

struct Range {
    std::uint32_t space;
    std::uint32_t first;
    std::uint32_t last;
};

// The ranges the driver serves, and so the only ones it ever marks as cached.
constexpr std::array<Range, 3> kDataRanges{{
    {HOST_SPACE_XDATA, 0x0000, 0x07FF},
    {HOST_SPACE_DATA, 0x00, 0xFF},
    {HOST_SPACE_IDATA, 0x00, 0x7F},
}};
constexpr Range kCodeRange{HOST_SPACE_CODE, 0x0000, 0x7FFF};

void Invalidate(const HostLinks& host, const Range& range) {
    for (std::uint32_t offset = range.first; offset <= range.last; ++offset)
        if (std::uint16_t* word = host.AttributeWord(HOST_ADDRESS(range.space, offset)))
            *word = static_cast<std::uint16_t>(*word & ~HOST_ATTR_CACHED);
}

}  // namespace

void InvalidateDataCache(const HostLinks& host) {
    if (!host.record || !host.record->attributeWord) return;
    for (const Range& range : kDataRanges) Invalidate(host, range);
}

void InvalidateCodeCache(const HostLinks& host) {
    if (!host.record || !host.record->attributeWord) return;
    Invalidate(host, kCodeRange);
}

}  // namespace kx6500mon
