#include "monitor/driver/BreakpointMap.h"

namespace kx6500mon {

void BreakpointMap::Want(std::span<const std::uint16_t> addresses) {
    for (auto& s : state_) s = static_cast<std::uint8_t>(s & kInFlash);
    for (std::uint16_t a : addresses)
        if (a < kUserFlashEnd) state_[a] = static_cast<std::uint8_t>(state_[a] | kWanted);
}

std::vector<int> BreakpointMap::PagesToChange() const {
    std::vector<int> pages;
    for (int page = 0; page < kUserPages; ++page) {
        for (int i = 0; i < kPageSize; ++i) {
            const std::uint8_t s = state_[static_cast<std::size_t>(page * kPageSize + i)];
            if (((s & kWanted) != 0) != ((s & kInFlash) != 0)) {
                pages.push_back(page);
                break;
            }
        }
    }
    return pages;
}

void BreakpointMap::Apply(int page, std::span<std::uint8_t> content) {
    for (int i = 0; i < kPageSize; ++i) {
        const auto a = static_cast<std::size_t>(page * kPageSize + i);
        const bool wanted = state_[a] & kWanted, inFlash = state_[a] & kInFlash;
        if (wanted && !inFlash) {
            replaced_[a] = content[static_cast<std::size_t>(i)];
            content[static_cast<std::size_t>(i)] = kBreakOpcode;
        } else if (!wanted && inFlash) {
            content[static_cast<std::size_t>(i)] = replaced_[a];
        }
    }
}

void BreakpointMap::Commit(int page) {
    for (int i = 0; i < kPageSize; ++i) {
        auto& s = state_[static_cast<std::size_t>(page * kPageSize + i)];
        s = static_cast<std::uint8_t>((s & kWanted) ? kWanted | kInFlash : 0);
    }
}

}  // namespace kx6500mon
