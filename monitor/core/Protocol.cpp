#include "monitor/core/Protocol.h"

#include <array>

#include "common/Crc16.h"

namespace kx6500mon {

namespace {

// The command set, one row per command: its reply code, the first-byte timeout and the
// length of the reply data.
constexpr std::array<CommandInfo, 16> kCommands{{
    {cmd::kStatusPoll, reply::kStatus, 50, 1, 0},
    {cmd::kReadInternal, 0xE0, 50, -1, 1},
    {cmd::kReadXdata, 0xE1, 50, -1, 2},
    {cmd::kReadCode, 0xE2, 50, -1, 2},
    {cmd::kReadSfr, 0xE4, 50, -1, 1},
    {cmd::kRegisterBuffer, 0xE8, 50, 2, 0},
    {cmd::kPageCrc, 0xEA, 50, 2, 0},
    {cmd::kWriteHeader, reply::kDone, 50, 0, 0},
    {cmd::kWriteData, reply::kDone, 50, 0, 0},
    {cmd::kProgramPage, reply::kDone, 400, 0, 0},
    {cmd::kLoadPage, reply::kDone, 200, 0, 0},
    {cmd::kStep, reply::kStatus, 200, 1, 0},
    {cmd::kEndStep, reply::kStatus, 50, 1, 0},
    {cmd::kPrepareRun, reply::kStatus, 50, 1, 0},
    {cmd::kRun, reply::kStatus, 200, 1, 0},  // or reply::kDone while the program runs
    {cmd::kStop, reply::kDone, 50, 0, 0},
}};

}  // namespace

const CommandInfo* FindCommand(std::uint8_t command) {
    for (const auto& info : kCommands)
        if (info.command == command) return &info;
    return nullptr;
}

std::optional<int> ExpectedReplyLength(const CommandInfo& info, std::span<const std::uint8_t> request) {
    if (info.replyLength >= 0) return info.replyLength;
    if (static_cast<std::size_t>(info.countIndex) >= request.size()) return std::nullopt;
    return request[static_cast<std::size_t>(info.countIndex)];
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t code, std::span<const std::uint8_t> data) {
    if (code == 0) return {0};
    if (data.size() > 0xFF) return {};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(data.size() + 4);
    bytes.push_back(code);
    bytes.push_back(static_cast<std::uint8_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    const std::uint16_t crc = tessary::Crc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return bytes;
}

}  // namespace kx6500mon
