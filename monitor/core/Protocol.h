#pragma once
// The monitor's frames and command set. A frame is its first byte (command or reply
// code), and unless that byte is 0, a length byte, the data and the CRC of all of them,
// high byte first.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kx6500mon {

namespace cmd {
inline constexpr std::uint8_t kStatusPoll = 0x00;
inline constexpr std::uint8_t kReadInternal = 0x10;
inline constexpr std::uint8_t kReadXdata = 0x11;
inline constexpr std::uint8_t kReadCode = 0x12;
inline constexpr std::uint8_t kReadSfr = 0x14;
inline constexpr std::uint8_t kRegisterBuffer = 0x18;
inline constexpr std::uint8_t kPageCrc = 0x1A;
inline constexpr std::uint8_t kWriteHeader = 0x20;
inline constexpr std::uint8_t kWriteData = 0x21;
inline constexpr std::uint8_t kProgramPage = 0x40;
inline constexpr std::uint8_t kLoadPage = 0x41;
inline constexpr std::uint8_t kStep = 0x80;
inline constexpr std::uint8_t kEndStep = 0x81;
inline constexpr std::uint8_t kPrepareRun = 0x82;
inline constexpr std::uint8_t kRun = 0x84;
inline constexpr std::uint8_t kStop = 0x88;
}  // namespace cmd

namespace reply {
inline constexpr std::uint8_t kStatus = 0x55;
inline constexpr std::uint8_t kDone = 0xF0;
}  // namespace reply

// Write spaces of the write header.
namespace space {
inline constexpr std::uint8_t kInternal = 0xAA;
inline constexpr std::uint8_t kXdata = 0xCC;
inline constexpr std::uint8_t kSfr = 0xEE;
}  // namespace space

// Bits of the status byte of reply 0x55.
namespace status {
inline constexpr std::uint8_t kNotRunning = 0x02;
inline constexpr std::uint8_t kBusy = 0x04;  // the monitor is not ready: keep polling
inline constexpr std::uint8_t kStoppedOnRequest = 0x08;
inline constexpr std::uint8_t kPendingFlags = 0x0F;
}  // namespace status

inline constexpr int kMaxChunk = 128;  // data bytes per memory read or write
inline constexpr int kPageSize = 128;  // flash page
inline constexpr int kRegisterSaveAreaSize = 22;

// What a command expects back. The reply length is fixed, or taken from the count byte
// of the request (reads), whose position countIndex gives.
struct CommandInfo {
    std::uint8_t command;
    std::uint8_t reply;
    int firstByteTimeoutMs;
    int replyLength;  // -1: the request's count byte
    int countIndex;
};

const CommandInfo* FindCommand(std::uint8_t command);
// The reply length a request asks for; nullopt for a command outside the table or a
// read request too short to carry its count.
std::optional<int> ExpectedReplyLength(const CommandInfo& info, std::span<const std::uint8_t> request);

struct Frame {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const Frame&) const = default;
};

// The bytes of a frame on the wire; empty when the data do not fit a length byte.
std::vector<std::uint8_t> EncodeFrame(std::uint8_t code, std::span<const std::uint8_t> data);

}  // namespace kx6500mon
