#include "monitor/core/MonitorTrace.h"

#include <cstdio>

namespace kx6500mon {

namespace {
std::string Hex2(std::uint8_t b) {
    char text[4];
    std::snprintf(text, sizeof text, "%02x", b);
    return text;
}
}  // namespace

std::string MonitorTrace::DescribeFrame(const char* direction, std::span<const std::uint8_t> wire) {
    std::string text = direction;
    if (wire.empty()) return text;
    if (wire.size() == 1) return text + Hex2(wire[0]);  // a status poll or a lone zero byte
    text += Hex2(wire[0]) + "." + Hex2(wire[1]) + " ";
    const std::size_t n = wire[1];
    for (std::size_t i = 0; i < n && 2 + i < wire.size(); ++i) text += Hex2(wire[2 + i]) + ".";
    if (n != 0) text += " ";
    if (wire.size() >= n + 4) text += Hex2(wire[n + 2]) + "." + Hex2(wire[n + 3]);
    return text;
}

void MonitorTrace::Text(const std::string& text) { Line(text); }

void MonitorTrace::Frame(const char* direction, std::span<const std::uint8_t> wire) {
    Line(DescribeFrame(direction, wire) + "\n");
}

void MonitorTrace::Line(const std::string& body) {
    std::lock_guard lock(mutex_);
    const std::uint64_t now = clock_.NowMs();
    if (!started_) {
        started_ = true;
        startMs_ = now;
    }
    // Milliseconds since the trace began; a run of 24 days would still fit.
    const auto stamp = static_cast<long long>(now - startMs_);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%5lld: ", stamp);
    output_.Write(prefix + body);
}

}  // namespace kx6500mon
