#include "monitor/driver/HostCache.h"

#include <array>

namespace kx6500mon {

namespace {

struct Range {
    CacheSpace space;
    std::uint32_t first;
    std::uint32_t last;
};

// The ranges the driver serves, and so the only ones it ever marks as cached.
constexpr std::array<Range, 3> kDataRanges{{
    {CacheSpace::Xdata, 0x0000, 0x07FF},
    {CacheSpace::Data, 0x00, 0xFF},
    {CacheSpace::Idata, 0x00, 0x7F},
}};
constexpr Range kCodeRange{CacheSpace::Code, 0x0000, 0x7FFF};

std::uint32_t Address(CacheSpace space, std::uint32_t offset) {
    return HOST_ADDRESS(static_cast<std::uint32_t>(space), offset);
}

// Internal RAM below 0x80 lives in both the Data and the Idata area.
bool SharedInternal(CacheSpace space, std::uint32_t offset) {
    return (space == CacheSpace::Data || space == CacheSpace::Idata) && offset < 0x80;
}

CacheSpace Other(CacheSpace space) { return space == CacheSpace::Data ? CacheSpace::Idata : CacheSpace::Data; }

}  // namespace

template <typename F>
void HostCache::ForEach(CacheSpace space, std::uint32_t offset, std::size_t count, F f) {
    HostInterface* record = host_.record;
    if (!record || !record->attributeWord) return;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t address = Address(space, static_cast<std::uint32_t>(offset + i));
        f(i, record->imageByte ? record->imageByte(address) : nullptr, record->attributeWord(address));
    }
}

bool HostCache::Lookup(CacheSpace space, std::uint32_t offset, std::span<std::uint8_t> out) {
    std::lock_guard lock(mutex_);
    if (!host_.record || !host_.record->imageByte || !host_.record->attributeWord) return false;
    bool all = !out.empty();
    ForEach(space, offset, out.size(), [&](std::size_t i, std::uint8_t* byte, std::uint16_t* word) {
        if (!byte || !word || !(*word & HOST_ATTR_CACHED))
            all = false;
        else
            out[i] = *byte;
    });
    return all;
}

void HostCache::Peek(CacheSpace space, std::uint32_t offset, std::span<std::uint8_t> out) {
    std::lock_guard lock(mutex_);
    for (auto& b : out) b = 0;
    ForEach(space, offset, out.size(), [&](std::size_t i, std::uint8_t* byte, std::uint16_t*) {
        if (byte) out[i] = *byte;
    });
}

void HostCache::Store(CacheSpace space, std::uint32_t offset, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    auto store = [&](CacheSpace s) {
        ForEach(s, offset, bytes.size(), [&](std::size_t i, std::uint8_t* byte, std::uint16_t* word) {
            if (!byte || !word) return;
            if (s != space && !SharedInternal(space, static_cast<std::uint32_t>(offset + i))) return;
            *byte = bytes[i];
            *word = static_cast<std::uint16_t>(*word | HOST_ATTR_CACHED);
        });
    };
    store(space);
    if (SharedInternal(space, offset)) store(Other(space));
}

void HostCache::Drop(CacheSpace space, std::uint32_t offset, std::size_t count) {
    std::lock_guard lock(mutex_);
    auto drop = [&](CacheSpace s) {
        ForEach(s, offset, count, [&](std::size_t i, std::uint8_t*, std::uint16_t* word) {
            if (!word) return;
            if (s != space && !SharedInternal(space, static_cast<std::uint32_t>(offset + i))) return;
            *word = static_cast<std::uint16_t>(*word & ~HOST_ATTR_CACHED);
        });
    };
    drop(space);
    if (SharedInternal(space, offset)) drop(Other(space));
}

void HostCache::InvalidateData() {
    for (const Range& r : kDataRanges) Drop(r.space, r.first, r.last - r.first + 1);
}

void HostCache::InvalidateCode() { Drop(kCodeRange.space, kCodeRange.first, kCodeRange.last - kCodeRange.first + 1); }

std::uint16_t HostCache::Attribute(std::uint32_t address, bool& present) {
    std::lock_guard lock(mutex_);
    const std::uint16_t* word = host_.AttributeWord(address);
    present = word != nullptr;
    return word ? *word : 0;
}

bool HostCache::ChangeAttribute(std::uint32_t address, std::uint16_t keep, std::uint16_t set) {
    std::lock_guard lock(mutex_);
    std::uint16_t* word = host_.AttributeWord(address);
    if (!word) return false;
    *word = static_cast<std::uint16_t>((*word & keep) | set);
    return true;
}

}  // namespace kx6500mon
