#include "monitor/driver/HostBreakpoints.h"

#include <cstdio>

#include "monitor/driver/BreakpointMap.h"

namespace kx6500mon {

namespace {
constexpr std::uint16_t kClearBoth = 0xFFB7;  // enabled and disabled bits off
constexpr std::uint16_t kEnabled = HOST_ATTR_BP_ENABLED;
constexpr std::uint16_t kDisabled = HOST_ATTR_BP_DISABLED;
}  // namespace

bool HostBreakpoints::AnyConditional() const {
    for (const HostBreakpoint* bp = Head(); bp; bp = bp->next) {
        const std::uint32_t kind = HOST_BP_KIND(bp->flags);
        if (IsActive(*bp) && (kind == 1 || kind == 2)) return true;
    }
    return false;
}

HostBreakpoint* HostBreakpoints::ExecutionAt(std::uint16_t address) const {
    for (HostBreakpoint* bp = Head(); bp; bp = bp->next)
        if (IsExecution(*bp) && IsActive(*bp) && HOST_OFFSET(bp->address) == address) return bp;
    return nullptr;
}

std::vector<std::uint16_t> HostBreakpoints::Wanted() const {
    std::vector<std::uint16_t> addresses;
    for (const HostBreakpoint* bp = Head(); bp; bp = bp->next) {
        const std::uint32_t a = HOST_OFFSET(bp->address);
        if (IsExecution(*bp) && IsActive(*bp) && BreakpointMap::Settable(a, patch_))
            addresses.push_back(static_cast<std::uint16_t>(a));
    }
    return addresses;
}

bool HostBreakpoints::Refused(const HostBreakpoint* bp, std::uint32_t address) {
    if (bp && !IsExecution(*bp)) return false;
    const std::uint32_t offset = HOST_OFFSET(address);
    if (BreakpointMap::Settable(offset, patch_)) return false;
    char line[160];
    std::snprintf(line, sizeof line,
                  "Breakpoint at 0x%04X refused: breakpoints go into the program's flash (0x0000 to 0x75FF) "
                  "outside the monitor's vector bytes.\n",
                  offset);
    host_.Output(line);
    return true;
}

std::uint32_t HostBreakpoints::BreakFunc(std::uint32_t code, const HostBreakpoint* bp, std::uint32_t address) {
    if (bp) address = bp->address;
    switch (code) {
    case kBreakSet:
    case kBreakChange: {
        if (code == kBreakSet && Refused(bp, address)) return 0;
        const bool active = bp && IsActive(*bp);
        cache_.ChangeAttribute(address, kClearBoth, active ? kEnabled : kDisabled);
        return 1;
    }
    case kBreakRemove: cache_.ChangeAttribute(address, kClearBoth, 0); return 1;
    case kBreakAccept:
        if (bp && HOST_BP_KIND(bp->flags) == 2) return 0;
        return Refused(bp, address) ? 0 : 1;
    default: return 0;
    }
}

std::uint32_t HostBreakpoints::BpInfo(std::uint32_t code, std::uint32_t address) {
    switch (code) {
    case 5:
    case 6: {
        std::uint32_t n = 0;
        for (const HostBreakpoint* bp = Head(); bp; bp = bp->next) {
            if (!IsExecution(*bp)) continue;
            if (code == 6) {
                cache_.ChangeAttribute(bp->address, kClearBoth, 0);
                ++n;
            } else if (IsActive(*bp)) {
                bool present = false;
                if (cache_.Attribute(bp->address, present) & kEnabled)
                    cache_.ChangeAttribute(bp->address, kClearBoth, kDisabled);
                ++n;
            }
        }
        return n;
    }
    default: break;
    }
    bool present = false;
    const std::uint16_t word = cache_.Attribute(address, present);
    if (!present) return HOST_ATTR_NONE;
    switch (code) {
    case 1:
    case 7: return word & HOST_ATTR_BP_BITS;
    case 8:
        if (word & kDisabled) cache_.ChangeAttribute(address, kClearBoth, kEnabled);
        return 0;
    case 9:
        if (word & kEnabled) cache_.ChangeAttribute(address, kClearBoth, kDisabled);
        return 0;
    case 10: cache_.ChangeAttribute(address, kClearBoth, 0); return 0;
    case 11: cache_.ChangeAttribute(address, kClearBoth, kEnabled); return 0;
    default: return 0;
    }
}

}  // namespace kx6500mon
