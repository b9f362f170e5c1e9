#pragma once
// The monitor's side of the link framing: a frame is a command byte and, unless it is
// 0x00 (a status poll, one byte), a length, the data and the CRC-16 of all of them,
// high byte first. Bytes come in one at a time with the time they arrived; a frame
// broken off for longer than the gap is dropped and the next byte starts a new one.

#include <cstdint>
#include <span>
#include <vector>

namespace sim::monitor {

struct MonitorFrame {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> data;
};

class FrameReceiver {
public:
    enum class Result { Pending, Frame, BadCrc };

    explicit FrameReceiver(std::uint64_t gapUs) : gapUs_(gapUs) {}
    void SetGap(std::uint64_t gapUs) { gapUs_ = gapUs; }
    Result Take(std::uint8_t byte, std::uint64_t nowUs);
    // The frame that the last Take completed.
    const MonitorFrame& Frame() const { return frame_; }
    // Forgets a frame in progress.
    void Reset() { wire_.clear(); }
    bool InFrame() const { return !wire_.empty(); }
    // Frames dropped because their next byte came too late.
    std::uint64_t Incomplete() const { return incomplete_; }

private:
    std::uint64_t gapUs_;
    std::vector<std::uint8_t> wire_;
    std::uint64_t lastUs_ = 0;
    std::uint64_t incomplete_ = 0;
    MonitorFrame frame_;
};

// The bytes of a reply on the wire (data of at most 255 bytes).
std::vector<std::uint8_t> EncodeReply(std::uint8_t code, std::span<const std::uint8_t> data);

}  // namespace sim::monitor
