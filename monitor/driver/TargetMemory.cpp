#include "monitor/driver/TargetMemory.h"

#include <algorithm>

#include "monitor/driver/Messages.h"
#include "monitor/driver/SfrRules.h"

namespace kx6500mon {

namespace {

constexpr std::uint32_t kInternalEnd = 0x80;
constexpr int kStackBytes = 4;  // above the saved stack pointer: the monitor's

bool InBank(std::uint32_t address, const SaveArea& area) {
    const std::uint32_t bank = area[save::kPsw] & kPswBankBits;
    return address >= bank && address < bank + 8;
}

bool InMonitorStack(std::uint32_t address, const SaveArea& area) {
    const std::uint32_t sp = area[save::kSp];
    return address > sp && address <= sp + kStackBytes;
}

// Reads count bytes at offset with one command, at most 128 bytes an exchange; on a
// failure failedAt is the first address of the exchange that failed.
template <typename ReadFn>
bool ReadChunked(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt, ReadFn read) {
    for (std::size_t done = 0; done < out.size(); done += kMaxChunk) {
        const std::size_t n = std::min<std::size_t>(kMaxChunk, out.size() - done);
        if (!read(static_cast<std::uint32_t>(offset + done), n, out.data() + done)) {
            failedAt = static_cast<std::uint32_t>(offset + done);
            return false;
        }
    }
    return true;
}

}  // namespace

Area AreaOf(std::uint32_t address) {
    switch (HOST_SPACE(address)) {
    case HOST_SPACE_XDATA:
    case HOST_SPACE_XDATA_ALT: return Area::Xdata;
    case HOST_SPACE_DATA: return Area::Data;
    case HOST_SPACE_IDATA: return Area::Idata;
    default: return Area::Code;
    }
}

CacheSpace CacheSpaceOf(Area area) {
    switch (area) {
    case Area::Xdata: return CacheSpace::Xdata;
    case Area::Data: return CacheSpace::Data;
    case Area::Idata: return CacheSpace::Idata;
    default: return CacheSpace::Code;
    }
}

std::uint32_t TargetMemory::ReadEnd(Area area) {
    switch (area) {
    case Area::Xdata: return 0x0800;
    case Area::Data: return 0x100;
    case Area::Idata: return kInternalEnd;
    default: return 0x8000;
    }
}

// The monitor lives in the flash from 0x7600: a program write there would destroy it.
std::uint32_t TargetMemory::WriteEnd(Area area) {
    return area == Area::Code ? BreakpointMap::kUserFlashEnd : ReadEnd(area);
}

std::uint32_t TargetMemory::Read(std::uint32_t address, std::span<std::uint8_t> out, std::uint32_t& errorAddress) {
    const Area area = AreaOf(address);
    const CacheSpace space = CacheSpaceOf(area);
    const std::uint32_t offset = HOST_OFFSET(address);
    const std::uint64_t end = std::uint64_t{offset} + out.size();
    const std::uint32_t served = ReadEnd(area);
    auto at = [&](std::uint64_t o) { return HOST_ADDRESS(HOST_SPACE(address), static_cast<std::uint32_t>(o)); };

    if (cache_.Lookup(space, offset, out)) {
        errorAddress = 0;
        return AG_OK;
    }
    const std::size_t n = offset < served ? static_cast<std::size_t>(std::min<std::uint64_t>(end, served) - offset) : 0;
    std::uint32_t failedAt = 0;
    if (n > 0 && !ReadServed(area, offset, out.first(n), failedAt)) {
        cache_.Drop(space, offset, n);
        std::fill(out.begin() + (failedAt - offset), out.end(), 0);
        errorAddress = at(failedAt);
        return AG_READ_ERROR;
    }
    if (n > 0) cache_.Store(space, offset, out.first(n));
    if (n < out.size()) {
        // Never sent: the monitor serves nothing there.
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), 0);
        errorAddress = at(std::max<std::uint64_t>(offset, served));
        return AG_READ_ERROR;
    }
    errorAddress = 0;
    return AG_OK;
}

bool TargetMemory::ReadServed(Area area, std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt) {
    switch (area) {
    case Area::Xdata: return ReadXdata(offset, out, failedAt);
    case Area::Idata: return ReadInternal(offset, out, failedAt);
    case Area::Code: return ReadCode(offset, out, failedAt);
    case Area::Data: break;
    }
    const std::size_t internal = offset < kInternalEnd ? std::min<std::size_t>(out.size(), kInternalEnd - offset) : 0;
    if (internal > 0 && !ReadInternal(offset, out.first(internal), failedAt)) return false;
    return internal == out.size() ||
           ReadSfr(static_cast<std::uint32_t>(offset + internal), out.subspan(internal), failedAt);
}

bool TargetMemory::ReadXdata(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt) {
    const auto saveArea = commands_.SaveAreaAddress();
    if (!saveArea) {
        failedAt = offset;
        return false;
    }
    if (!ReadChunked(offset, out, failedAt, [&](std::uint32_t a, std::size_t n, std::uint8_t* to) {
            return commands_.ReadXdata(static_cast<std::uint16_t>(a), n, to);
        }))
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (a >= *saveArea && a < *saveArea + std::uint32_t{kRegisterSaveAreaSize}) out[i] = 0;
    }
    return true;
}

bool TargetMemory::ReadInternal(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt) {
    const SaveArea* area = commands_.ReadSaveArea();
    if (!area) {
        failedAt = offset;
        return false;
    }
    if (!ReadChunked(offset, out, failedAt, [&](std::uint32_t a, std::size_t n, std::uint8_t* to) {
            return commands_.ReadInternal(static_cast<std::uint8_t>(a), n, to);
        }))
        return false;
    const std::uint32_t bank = (*area)[save::kPsw] & kPswBankBits;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (InBank(a, *area))
            out[i] = (*area)[static_cast<std::size_t>(save::kR0) + (a - bank)];
        else if (InMonitorStack(a, *area))
            out[i] = 0;
    }
    return true;
}

bool TargetMemory::ReadSfr(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt) {
    const SaveArea* area = commands_.ReadSaveArea();
    if (!area) {
        failedAt = offset;
        return false;
    }
    if (!ReadChunked(offset, out, failedAt, [&](std::uint32_t a, std::size_t n, std::uint8_t* to) {
            return commands_.ReadSfr(static_cast<std::uint8_t>(a), n, to);
        }))
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const SfrRule* rule = FindSfrRule(offset + static_cast<std::uint32_t>(i));
        if (!rule) continue;
        if (rule->saveOffset >= 0) out[i] = (*area)[static_cast<std::size_t>(rule->saveOffset)];
        out[i] = static_cast<std::uint8_t>((out[i] & ~rule->readClear) | rule->readSet);
    }
    return true;
}

bool TargetMemory::ReadCode(std::uint32_t offset, std::span<std::uint8_t> out, std::uint32_t& failedAt) {
    if (!ReadChunked(offset, out, failedAt, [&](std::uint32_t a, std::size_t n, std::uint8_t* to) {
            return commands_.ReadCode(static_cast<std::uint16_t>(a), n, to);
        }))
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (map_.InFlash(a))
            out[i] = map_.Replaced(a);
        else if (patch_.Owned(static_cast<std::uint16_t>(a)))
            out[i] = patch_.UserView(static_cast<std::uint16_t>(a));
    }
    return true;
}

std::uint32_t TargetMemory::Write(std::uint32_t address, std::span<const std::uint8_t> bytes,
                                  std::uint32_t& errorAddress) {
    const Area area = AreaOf(address);
    const std::uint32_t offset = HOST_OFFSET(address);
    const std::uint64_t end = std::uint64_t{offset} + bytes.size();
    const std::uint32_t served = WriteEnd(area);
    auto at = [&](std::uint64_t o) { return HOST_ADDRESS(HOST_SPACE(address), static_cast<std::uint32_t>(o)); };
    if (end > served) {
        // Nothing is sent, so nothing is half-written.
        errorAddress = at(std::max<std::uint64_t>(offset, served));
        return AG_WRITE_ERROR;
    }
    std::uint32_t failedAt = 0;
    bool ok = true;
    switch (area) {
    case Area::Xdata: ok = WriteXdata(offset, bytes, failedAt); break;
    case Area::Idata: ok = WriteInternal(CacheSpace::Idata, offset, bytes, failedAt); break;
    case Area::Code: ok = WriteCode(offset, bytes, failedAt); break;
    case Area::Data: {
        const std::size_t internal =
            offset < kInternalEnd ? std::min<std::size_t>(bytes.size(), kInternalEnd - offset) : 0;
        if (internal > 0) ok = WriteInternal(CacheSpace::Data, offset, bytes.first(internal), failedAt);
        if (ok && internal < bytes.size())
            ok = WriteSfr(static_cast<std::uint32_t>(offset + internal), bytes.subspan(internal), failedAt);
        break;
    }
    }
    if (!ok) {
        errorAddress = at(failedAt);
        return AG_WRITE_ERROR;
    }
    errorAddress = 0;
    return AG_OK;
}

bool TargetMemory::WriteRuns(std::uint8_t space, std::uint32_t offset, std::span<const std::uint8_t> bytes,
                             const std::vector<bool>& skip, std::uint32_t& failedAt) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (skip[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < bytes.size() && !skip[j] && j - i < static_cast<std::size_t>(kMaxChunk)) ++j;
        if (!commands_.Write(space, static_cast<std::uint16_t>(offset + i), bytes.subspan(i, j - i))) {
            failedAt = static_cast<std::uint32_t>(offset + i);
            return false;
        }
        i = j;
    }
    return true;
}

bool TargetMemory::WriteSaveAreaChanges(const SaveArea& before, const SaveArea& after, std::uint32_t failAt,
                                        std::uint32_t& failedAt) {
    std::size_t first = after.size(), last = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (before[i] != after[i]) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first == after.size()) return true;
    if (commands_.WriteSaveArea(static_cast<int>(first), std::span(after).subspan(first, last - first + 1)))
        return true;
    failedAt = failAt;
    return false;
}

bool TargetMemory::WriteXdata(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t& failedAt) {
    const auto saveArea = commands_.SaveAreaAddress();
    if (!saveArea) {
        failedAt = offset;
        return false;
    }
    std::vector<bool> skip(bytes.size(), false);
    std::vector<std::uint8_t> shown(bytes.begin(), bytes.end());
    bool touched = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (a >= *saveArea && a < *saveArea + std::uint32_t{kRegisterSaveAreaSize}) {
            skip[i] = touched = true;
            shown[i] = 0;
        }
    }
    if (touched) host_.Output(messages::kSaveAreaWarning);
    if (!WriteRuns(space::kXdata, offset, bytes, skip, failedAt)) {
        cache_.Drop(CacheSpace::Xdata, offset, bytes.size());
        return false;
    }
    cache_.Store(CacheSpace::Xdata, offset, shown);
    return true;
}

bool TargetMemory::WriteInternal(CacheSpace space, std::uint32_t offset, std::span<const std::uint8_t> bytes,
                                 std::uint32_t& failedAt) {
    const SaveArea* current = commands_.ReadSaveArea();
    if (!current) {
        failedAt = offset;
        return false;
    }
    const SaveArea before = *current;
    SaveArea after = before;
    const std::uint32_t bank = before[save::kPsw] & kPswBankBits;
    std::vector<bool> skip(bytes.size(), false);
    std::vector<std::uint8_t> shown(bytes.begin(), bytes.end());
    bool stack = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (InBank(a, before)) {
            after[static_cast<std::size_t>(save::kR0) + (a - bank)] = bytes[i];
            skip[i] = true;
        } else if (InMonitorStack(a, before)) {
            skip[i] = stack = true;
            shown[i] = 0;
        }
    }
    if (stack) host_.Output(messages::kStackWarning);
    if (!WriteSaveAreaChanges(before, after, offset, failedAt) ||
        !WriteRuns(space::kInternal, offset, bytes, skip, failedAt)) {
        cache_.Drop(space, offset, bytes.size());
        return false;
    }
    cache_.Store(space, offset, shown);
    return true;
}

bool TargetMemory::WriteSfr(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t& failedAt) {
    const SaveArea* current = commands_.ReadSaveArea();
    if (!current) {
        failedAt = offset;
        return false;
    }
    const SaveArea before = *current;
    SaveArea after = before;
    std::vector<bool> skip(bytes.size(), false), uncertain(bytes.size(), false);
    std::vector<std::uint8_t> values(bytes.begin(), bytes.end());
    bool psw = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        const SfrRule* rule = FindSfrRule(a);
        if (!rule) continue;
        if (rule->saveOffset >= 0) {
            auto& saved = after[static_cast<std::size_t>(rule->saveOffset)];
            saved = static_cast<std::uint8_t>((bytes[i] & ~rule->keep) | (saved & rule->keep));
            values[i] = saved;
            skip[i] = true;
            psw = psw || a == kSfrPsw;
        } else if (rule->keep == 0xFF) {
            skip[i] = true;
        } else if (rule->keep != 0) {
            std::uint8_t target = 0;
            if (!commands_.ReadSfr(static_cast<std::uint8_t>(a), 1, &target)) {
                failedAt = a;
                return false;
            }
            values[i] = static_cast<std::uint8_t>((bytes[i] & ~rule->keep) | (target & rule->keep));
        }
        uncertain[i] = rule->keep != 0 || rule->port;
    }
    if (psw) host_.Output(messages::kPswWarning);
    const bool ok = WriteSaveAreaChanges(before, after, offset, failedAt) &&
                    WriteRuns(space::kSfr, offset, values, skip, failedAt);
    // The pins decide what a port register reads; the monitor reads them back.
    for (std::size_t i = 0; ok && i < bytes.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (const SfrRule* rule = FindSfrRule(a); rule && rule->port) {
            std::uint8_t back = 0;
            if (!commands_.ReadSfr(static_cast<std::uint8_t>(a), 1, &back)) {
                failedAt = a;
                cache_.Drop(CacheSpace::Data, offset, bytes.size());
                return false;
            }
        }
    }
    if (!ok) {
        cache_.Drop(CacheSpace::Data, offset, bytes.size());
        return false;
    }
    // The cache takes what the target now holds; bytes whose value the write does not
    // decide are read again when next asked for.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (uncertain[i])
            cache_.Drop(CacheSpace::Data, a, 1);
        else
            cache_.Store(CacheSpace::Data, a, std::span(&values[i], 1));
    }
    // What the bank bytes of internal RAM show follows PSW.
    if (psw) cache_.Drop(CacheSpace::Data, 0, kInternalEnd);
    return true;
}

bool TargetMemory::WriteCode(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t& failedAt) {
    if (bytes.empty()) return true;
    if (!flash_.SaveBuffer()) {
        failedAt = offset;
        return false;
    }
    const std::uint32_t end = offset + static_cast<std::uint32_t>(bytes.size());
    bool ok = true;
    for (std::uint32_t page = offset / kPageSize; ok && page * kPageSize < end; ++page) {
        const std::uint32_t from = std::max(offset, page * kPageSize);
        const std::uint32_t to = std::min(end, (page + 1) * kPageSize);
        ok = WriteCodePage(static_cast<int>(page), from, to, bytes, offset, failedAt);
    }
    if (!flash_.RestoreBuffer() && ok) {
        failedAt = offset;
        ok = false;
    }
    if (!ok) {
        cache_.Drop(CacheSpace::Code, offset, bytes.size());
        return false;
    }
    std::vector<std::uint8_t> shown(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if (patch_.Owned(static_cast<std::uint16_t>(a))) shown[i] = patch_.UserView(static_cast<std::uint16_t>(a));
    }
    cache_.Store(CacheSpace::Code, offset, shown);
    return true;
}

bool TargetMemory::WriteCodePage(int page, std::uint32_t from, std::uint32_t to, std::span<const std::uint8_t> bytes,
                                 std::uint32_t offset, std::uint32_t& failedAt) {
    const std::uint32_t base = static_cast<std::uint32_t>(page) * kPageSize;
    PageBytes content{};
    std::vector<bool> skip(kPageSize, true);
    bool keepsFlashBytes = false;
    for (std::uint32_t a = from; a < to; ++a) {
        const std::uint8_t v = bytes[a - offset];
        const std::size_t i = a - base;
        if (patch_.Owned(static_cast<std::uint16_t>(a))) {
            // The monitor's bytes stay; a new reset target goes to the user's jump.
            keepsFlashBytes = true;
            if (a == 0x0001 || a == 0x0002) {
                patch_.WriteUserResetByte(static_cast<std::uint16_t>(a), v);
                const std::size_t j = VectorPatch::kUserResetJump + a;
                content[j] = v;
                skip[j] = false;
            }
            continue;
        }
        if (map_.InFlash(a)) {
            map_.SetReplaced(a, v);
            content[i] = kBreakOpcode;
        } else {
            content[i] = v;
        }
        skip[i] = false;
    }
    const bool whole = !keepsFlashBytes && from == base && to == base + kPageSize;
    bool ok = whole || flash_.LoadIntoBuffer(page);
    ok = ok && WriteRuns(space::kXdata, 0, content, skip, failedAt);
    if (ok && !whole) ok = flash_.ReadBuffer(content);
    PageWrite result = ok ? flash_.Program(page, content, true) : PageWrite::LinkFailed;
    if (result == PageWrite::Ok) return true;
    failedAt = from;
    return false;
}

PageWrite TargetMemory::ApplyBreakpoints(std::span<const std::uint16_t> wanted) {
    map_.Want(wanted);
    const std::vector<int> pages = map_.PagesToChange();
    if (pages.empty()) return PageWrite::Ok;
    if (!flash_.SaveBuffer()) return PageWrite::LinkFailed;
    PageWrite result = PageWrite::Ok;
    for (int page : pages) {
        PageBytes content{};
        if (!commands_.ReadCode(static_cast<std::uint16_t>(page * kPageSize), content.size(), content.data())) {
            result = PageWrite::LinkFailed;
            break;
        }
        map_.Apply(page, content);
        result = flash_.Program(page, content, false);
        if (result != PageWrite::Ok) break;
        map_.Commit(page);
    }
    if (!flash_.RestoreBuffer() && result == PageWrite::Ok) result = PageWrite::LinkFailed;
    return result;
}

}  // namespace kx6500mon
