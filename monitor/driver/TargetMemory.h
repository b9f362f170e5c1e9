#pragma once
// The target's memory as the debugger may see it: reads and writes through the
// monitor with the cache in the host's image, and the monitor's own resources hidden.
//
// Hidden: the 22-byte register save area in XDATA (reads 0, never written); the
// selected register bank in internal RAM (shown and written through the save area);
// the four bytes above the saved stack pointer, which hold the monitor's stack (read
// 0, never written); the special function registers the monitor saves (shown and
// written through the save area) and the bits it owns (write masks); the breakpoint
// instructions in the flash (the replaced opcodes are shown and rewritten) and the
// monitor's bytes of the vector area.
//
// The caller holds the link.

#include <cstdint>
#include <span>
#include <vector>

#include "monitor/core/FlashPages.h"
#include "monitor/core/MonitorCommands.h"
#include "monitor/driver/BreakpointMap.h"
#include "monitor/driver/HostCache.h"
#include "monitor/driver/HostLinks.h"
#include "monitor/driver/VectorPatch.h"

namespace kx6500mon {

enum class Area { Xdata, Data, Idata, Code };

// The area a host address's space byte names: 0x01 and 0xFE XDATA, 0xF0 internal RAM
// and special function registers, 0xF3 internal RAM seen indirectly, anything else
// program memory.
Area AreaOf(std::uint32_t address);
CacheSpace CacheSpaceOf(Area area);

class TargetMemory {
public:
    TargetMemory(MonitorCommands& commands, HostCache& cache, BreakpointMap& map, VectorPatch& patch,
                 const HostLinks& host)
        : commands_(commands), flash_(commands), cache_(cache), map_(map), patch_(patch), host_(host) {}

    // AG_MemAcc results; errorAddress is 0 on success, else the first address that failed.
    std::uint32_t Read(std::uint32_t address, std::span<std::uint8_t> out, std::uint32_t& errorAddress);
    std::uint32_t Write(std::uint32_t address, std::span<const std::uint8_t> bytes, std::uint32_t& errorAddress);

    // Brings the flash in line with the wanted breakpoints.
    PageWrite ApplyBreakpoints(std::span<const std::uint16_t> wanted);

    // One past the last address of an area the monitor serves.
    static std::uint32_t ReadEnd(Area area);
    static std::uint32_t WriteEnd(Area area);

private:
    bool ReadServed(Area area, std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt);
    bool ReadXdata(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt);
    bool ReadInternal(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt);
    bool ReadSfr(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt);
    bool ReadCode(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt);

    // The outcome of a write to one area: ok, or the address that failed (the link
    // failed, or the flash did not take a page).
    bool WriteXdata(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t& failedAt);
    bool WriteInternal(CacheSpace space, std::uint32_t offset, std::span<const std::uint8_t> bytes,
                       std::uint32_t& failedAt);
    bool WriteSfr(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t& failedAt);
    bool WriteCode(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t& failedAt);
    bool WriteCodePage(int page, std::uint32_t from, std::uint32_t to, std::span<const std::uint8_t> bytes,
                       std::uint32_t offset, std::uint32_t& failedAt);
    // Writes the bytes not marked skip, each run of them in chunks of at most 128.
    bool WriteRuns(std::uint8_t space, std::uint32_t offset, std::span<const std::uint8_t> bytes,
                   const std::vector<bool>& skip, std::uint32_t& failedAt);
    // The changed bytes of a new save area, written as one span.
    bool WriteSaveAreaChanges(const SaveArea& before, const SaveArea& after, std::uint32_t failAt,
                              std::uint32_t& failedAt);

    MonitorCommands& commands_;
    FlashPages flash_;
    HostCache& cache_;
    BreakpointMap& map_;
    VectorPatch& patch_;
    const HostLinks& host_;
};

}  // namespace kx6500mon
