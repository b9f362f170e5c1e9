#pragma once
// The host's breakpoint list as the driver sees it, and the breakpoint bits of the
// host's attribute words behind AG_BpInfo and AG_BreakFunc.

#include <cstdint>
#include <vector>

#include "monitor/driver/HostCache.h"
#include "monitor/driver/HostLinks.h"
#include "monitor/driver/VectorPatch.h"

namespace kx6500mon {

// AG_BreakFunc codes.
inline constexpr std::uint32_t kBreakSet = 1;
inline constexpr std::uint32_t kBreakRemove = 2;
inline constexpr std::uint32_t kBreakChange = 4;  // enabled or disabled
inline constexpr std::uint32_t kBreakAccept = 5;  // may the host keep it?

class HostBreakpoints {
public:
    HostBreakpoints(const HostLinks& host, HostCache& cache, const VectorPatch& patch)
        : host_(host), cache_(cache), patch_(patch) {}

    static bool IsExecution(const HostBreakpoint& bp) { return HOST_BP_KIND(bp.flags) == 0; }
    static bool IsActive(const HostBreakpoint& bp) { return (bp.flags & HOST_BP_ACTIVE) != 0; }

    // Active breakpoints of kinds 1 and 2, whose conditions only the host can judge.
    bool AnyConditional() const;
    // The active execution breakpoint at a code address, if the list has one.
    HostBreakpoint* ExecutionAt(std::uint16_t address) const;
    // The addresses of the active execution breakpoints the flash can take.
    std::vector<std::uint16_t> Wanted() const;

    std::uint32_t BpInfo(std::uint32_t code, std::uint32_t address);
    std::uint32_t BreakFunc(std::uint32_t code, const HostBreakpoint* bp, std::uint32_t address);

private:
    HostBreakpoint* Head() const { return host_.breakpoints ? *host_.breakpoints : nullptr; }
    // Execution breakpoints outside the user's flash, or on the monitor's bytes, would
    // overwrite the monitor: they are refused with a line in the host's output.
    bool Refused(const HostBreakpoint* bp, std::uint32_t address);

    const HostLinks& host_;
    HostCache& cache_;
    const VectorPatch& patch_;
};

}  // namespace kx6500mon
