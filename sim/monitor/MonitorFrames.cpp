#include "sim/monitor/MonitorFrames.h"

#include "common/Crc16.h"

namespace sim::monitor {

FrameReceiver::Result FrameReceiver::Take(std::uint8_t byte, std::uint64_t nowUs) {
    if (!wire_.empty() && nowUs - lastUs_ > gapUs_) {
        wire_.clear();
        ++incomplete_;
    }
    lastUs_ = nowUs;
    wire_.push_back(byte);
    if (wire_.size() == 1 && byte == 0) {
        wire_.clear();
        frame_.code = 0;
        frame_.data.clear();
        return Result::Frame;
    }
    if (wire_.size() < 2 || wire_.size() < static_cast<std::size_t>(wire_[1]) + 4) return Result::Pending;
    const bool good = tessary::Crc16(wire_) == 0;
    if (good) {
        frame_.code = wire_[0];
        frame_.data.assign(wire_.begin() + 2, wire_.end() - 2);
    }
    wire_.clear();
    return good ? Result::Frame : Result::BadCrc;
}

std::vector<std::uint8_t> EncodeReply(std::uint8_t code, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> wire;
    wire.reserve(data.size() + 4);
    wire.push_back(code);
    if (code == 0) return wire;
    wire.push_back(static_cast<std::uint8_t>(data.size()));
    for (std::uint8_t b : data) wire.push_back(b);
    const std::uint16_t crc = tessary::Crc16(wire);
    wire.push_back(static_cast<std::uint8_t>(crc >> 8));
    wire.push_back(static_cast<std::uint8_t>(crc));
    return wire;
}

}  // namespace sim::monitor
