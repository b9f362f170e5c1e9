#pragma once
// The host's memory image is the driver's cache: bit 15 of a byte's attribute word
// marks the byte as holding the target's value. The same words carry the host's
// breakpoint bits.
//
// Memory calls answer from the cache while a run on another thread owns the link, and
// the run invalidates the cache when it ends: every touch of the image and of the
// attribute words goes through one lock of its own.

#include <cstdint>
#include <mutex>
#include <span>

#include "monitor/driver/HostLinks.h"

namespace kx6500mon {

// The cache's own names for the spaces: one per area of the host's image.
enum class CacheSpace : std::uint32_t {
    Code = HOST_SPACE_CODE,
    Xdata = HOST_SPACE_XDATA,
    Data = HOST_SPACE_DATA,    // internal RAM 0x00..0x7F, special function registers 0x80..0xFF
    Idata = HOST_SPACE_IDATA,  // internal RAM seen through indirect addressing
};

class HostCache {
public:
    explicit HostCache(const HostLinks& host) : host_(host) {}

    // True, with the bytes, when every byte of the range is cached.
    bool Lookup(CacheSpace space, std::uint32_t offset, std::span<std::uint8_t> out);
    // What the image holds, cached or not.
    void Peek(CacheSpace space, std::uint32_t offset, std::span<std::uint8_t> out);
    // The target's values: stored and marked cached. Internal RAM is one memory seen
    // through two spaces; both hold it.
    void Store(CacheSpace space, std::uint32_t offset, std::span<const std::uint8_t> bytes);
    void Drop(CacheSpace space, std::uint32_t offset, std::size_t count);

    // XDATA, internal RAM and special function registers: stale after every run or step.
    void InvalidateData();
    // Program memory: stale after a run or step only when the user asks for it.
    void InvalidateCode();

    // The attribute word of an address (its value; `present` false when the image has
    // none), and changes to its breakpoint bits, under the lock.
    std::uint16_t Attribute(std::uint32_t address, bool& present);
    // word = (word & keep) | set; false when the image has no word there.
    bool ChangeAttribute(std::uint32_t address, std::uint16_t keep, std::uint16_t set);

private:
    template <typename F>
    void ForEach(CacheSpace space, std::uint32_t offset, std::size_t count, F f);

    const HostLinks& host_;
    std::mutex mutex_;
};

}  // namespace kx6500mon
