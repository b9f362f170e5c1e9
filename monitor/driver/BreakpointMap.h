#pragma once
// Where the flash should hold a breakpoint instruction (0xA5) and where it does, with
// the opcode each one replaced. Breakpoints live only in the user's part of the flash,
// below the monitor (0x7600), and never on the monitor's bytes of the vector area.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "monitor/core/Protocol.h"
#include "monitor/driver/VectorPatch.h"

namespace kx6500mon {

inline constexpr std::uint8_t kBreakOpcode = 0xA5;

class BreakpointMap {
public:
    static constexpr std::uint32_t kUserFlashEnd = 0x7600;
    static constexpr int kUserPages = kUserFlashEnd / kPageSize;  // 236

    static bool Settable(std::uint32_t address, const VectorPatch& patch) {
        return address < kUserFlashEnd && !patch.Owned(static_cast<std::uint16_t>(address));
    }

    // Nothing wanted, nothing in the flash: the state when debugging starts.
    void Clear() { state_.fill(0); }
    // The wanted set, as the breakpoint list gives it; addresses the map does not
    // cover are left out.
    void Want(std::span<const std::uint16_t> addresses);
    bool InFlash(std::uint32_t address) const { return address < kUserFlashEnd && (state_[address] & kInFlash); }
    std::uint8_t Replaced(std::uint32_t address) const { return replaced_[address]; }
    // A write to a byte that holds a breakpoint changes the opcode the breakpoint stands for.
    void SetReplaced(std::uint32_t address, std::uint8_t opcode) { replaced_[address] = opcode; }

    // The pages where the flash differs from what is wanted, in ascending order.
    std::vector<int> PagesToChange() const;
    // Turns the page's flash bytes into what is wanted: 0xA5 where a breakpoint comes
    // (its opcode kept), the kept opcode back where one goes.
    void Apply(int page, std::span<std::uint8_t> content);
    // The page now holds what is wanted.
    void Commit(int page);

private:
    static constexpr std::uint8_t kWanted = 0x0F;
    static constexpr std::uint8_t kInFlash = 0xF0;
    std::array<std::uint8_t, kUserFlashEnd> state_{};
    std::array<std::uint8_t, kUserFlashEnd> replaced_{};
};

}  // namespace kx6500mon
