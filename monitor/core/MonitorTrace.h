#pragma once
// The link's trace: one line per frame each way and per link event, each stamped with
// the milliseconds since the trace was opened ("%5d: "), in the formats the monitor's
// developers read.

#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "monitor/core/Seams.h"

namespace kx6500mon {

class MonitorTrace {
public:
    MonitorTrace(TraceOutput& output, Clock& clock) : output_(output), clock_(clock) {}

    // A text event; the text carries its own line end.
    void Text(const std::string& text);
    // A whole frame as it went out or came in (the wire bytes, CRC included).
    void Sent(std::span<const std::uint8_t> wire) { Frame("PC->KX6500: ", wire); }
    void Received(std::span<const std::uint8_t> wire) { Frame("KX6500->PC: ", wire); }

    // The frame part of a trace line, without stamp and line end.
    static std::string DescribeFrame(const char* direction, std::span<const std::uint8_t> wire);

private:
    void Frame(const char* direction, std::span<const std::uint8_t> wire);
    void Line(const std::string& body);

    TraceOutput& output_;
    Clock& clock_;
    std::mutex mutex_;
    bool started_ = false;
    std::uint64_t startMs_ = 0;
};

}  // namespace kx6500mon
