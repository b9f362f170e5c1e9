#include "monitor/core/MonitorCommands.h"

#include <algorithm>
#include <vector>

namespace kx6500mon {

namespace {
std::uint8_t High(std::uint32_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }
std::uint8_t Low(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
}  // namespace

bool MonitorCommands::ReadChunks(std::uint8_t command, std::uint32_t address, std::size_t count, std::uint8_t* out,
                                 bool wide) {
    const std::uint32_t end = wide ? 0x10000 : 0x100;
    if (address + count > end) return false;
    std::vector<std::uint8_t> reply;
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, kMaxChunk);
        std::vector<std::uint8_t> request;
        if (wide) request.push_back(High(address));
        request.push_back(Low(address));
        request.push_back(static_cast<std::uint8_t>(n));
        if (!link_.Exchange(command, request, reply)) return false;
        std::copy(reply.begin(), reply.end(), out);
        out += n;
        address += static_cast<std::uint32_t>(n);
        count -= n;
    }
    return true;
}

bool MonitorCommands::ReadInternal(std::uint8_t address, std::size_t count, std::uint8_t* out) {
    return ReadChunks(cmd::kReadInternal, address, count, out, false);
}

bool MonitorCommands::ReadSfr(std::uint8_t address, std::size_t count, std::uint8_t* out) {
    return ReadChunks(cmd::kReadSfr, address, count, out, false);
}

bool MonitorCommands::ReadXdata(std::uint16_t address, std::size_t count, std::uint8_t* out) {
    return ReadChunks(cmd::kReadXdata, address, count, out, true);
}

bool MonitorCommands::ReadCode(std::uint16_t address, std::size_t count, std::uint8_t* out) {
    return ReadChunks(cmd::kReadCode, address, count, out, true);
}

bool MonitorCommands::Write(std::uint8_t space, std::uint16_t address, std::span<const std::uint8_t> bytes) {
    const std::uint32_t end = space == space::kXdata ? 0x10000 : 0x100;
    if (address + bytes.size() > end) return false;
    std::vector<std::uint8_t> reply;
    std::uint32_t at = address;
    while (!bytes.empty()) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), kMaxChunk);
        const std::uint8_t header[] = {space, High(at), Low(at), static_cast<std::uint8_t>(n)};
        if (!link_.Exchange(cmd::kWriteHeader, header, reply)) return false;
        if (!link_.Exchange(cmd::kWriteData, bytes.first(n), reply)) return false;
        bytes = bytes.subspan(n);
        at += static_cast<std::uint32_t>(n);
    }
    return true;
}

std::optional<std::uint16_t> MonitorCommands::PageCrc(std::uint8_t page) {
    std::vector<std::uint8_t> reply;
    const std::uint8_t request[] = {page};
    if (!link_.Exchange(cmd::kPageCrc, request, reply)) return std::nullopt;
    return static_cast<std::uint16_t>(reply[0] << 8 | reply[1]);
}

bool MonitorCommands::LoadPage(std::uint16_t pageAddress) {
    std::vector<std::uint8_t> reply;
    const std::uint8_t request[] = {High(pageAddress), static_cast<std::uint8_t>(pageAddress & 0x80), kPageSize};
    return link_.Exchange(cmd::kLoadPage, request, reply);
}

bool MonitorCommands::ProgramPage(std::uint8_t page) {
    std::vector<std::uint8_t> reply;
    const std::uint8_t request[] = {page};
    return link_.Exchange(cmd::kProgramPage, request, reply);
}

std::optional<std::uint16_t> MonitorCommands::SaveAreaAddress() {
    if (!saveAreaAddress_) {
        std::vector<std::uint8_t> reply;
        if (!link_.Exchange(cmd::kRegisterBuffer, {}, reply)) return std::nullopt;
        saveAreaAddress_ = static_cast<std::uint16_t>(reply[0] << 8 | reply[1]);
    }
    return saveAreaAddress_;
}

const SaveArea* MonitorCommands::ReadSaveArea() {
    if (saveAreaValid_) return &saveArea_;
    const auto address = SaveAreaAddress();
    if (!address || !ReadXdata(*address, saveArea_.size(), saveArea_.data())) return nullptr;
    saveAreaValid_ = true;
    return &saveArea_;
}

bool MonitorCommands::WriteSaveArea(int offset, std::span<const std::uint8_t> bytes) {
    if (offset < 0 || offset + bytes.size() > saveArea_.size()) return false;
    const auto address = SaveAreaAddress();
    if (!address || !Write(space::kXdata, static_cast<std::uint16_t>(*address + offset), bytes)) return false;
    std::copy(bytes.begin(), bytes.end(), saveArea_.begin() + offset);
    return true;
}

std::optional<std::uint16_t> MonitorCommands::SavedPc() {
    const SaveArea* area = ReadSaveArea();
    if (!area) return std::nullopt;
    return static_cast<std::uint16_t>((*area)[save::kPcHigh] << 8 | (*area)[save::kPcLow]);
}

bool MonitorCommands::WriteSavedPc(std::uint16_t pc) {
    const std::uint8_t bytes[] = {High(pc), Low(pc)};
    return WriteSaveArea(save::kPcHigh, bytes);
}

}  // namespace kx6500mon
