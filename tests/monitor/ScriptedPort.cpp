#include "tests/monitor/ScriptedPort.h"

namespace kx6500mon::testing {

void ScriptedPort::Deliver(std::span<const std::uint8_t> bytes, int delayMs, int gapMs) {
    std::uint64_t at = clock_.now + static_cast<std::uint64_t>(delayMs);
    if (!incoming_.empty() && incoming_.back().at > at) at = incoming_.back().at;  // the line keeps order
    for (std::uint8_t b : bytes) {
        std::optional<std::uint8_t> byte = b;
        if (fault) byte = fault(b);
        if (byte) incoming_.push_back({at, *byte});
        at += static_cast<std::uint64_t>(gapMs);
    }
}

bool ScriptedPort::Open(int portNumber, int bitRate) {
    openedPort = portNumber;
    openedRate = bitRate;
    events.push_back("open");
    open_ = opens;
    return open_;
}

std::size_t ScriptedPort::Read(std::uint8_t* buffer, std::size_t count, int constantMs, int perByteMs) {
    const std::uint64_t deadline =
        clock_.now + static_cast<std::uint64_t>(constantMs) + static_cast<std::uint64_t>(perByteMs) * count;
    std::size_t got = 0;
    while (got < count && !incoming_.empty() && incoming_.front().at <= deadline) {
        if (incoming_.front().at > clock_.now) clock_.now = incoming_.front().at;
        buffer[got++] = incoming_.front().byte;
        incoming_.pop_front();
    }
    if (got < count) clock_.now = deadline;
    reads.push_back({count, constantMs, perByteMs, got});
    return got;
}

bool ScriptedPort::Write(std::span<const std::uint8_t> bytes, int timeoutMs) {
    writes.emplace_back(bytes.begin(), bytes.end());
    writeTimeouts.push_back(timeoutMs);
    if (monitor_) {
        const auto answer = monitor_->Feed(bytes);
        Deliver(answer, 1, gapMs_);
        if (!monitor_->later.empty()) {
            Deliver(monitor_->later, monitor_->laterDelayMs, gapMs_);
            monitor_->later.clear();
        }
    }
    return true;
}

std::size_t ScriptedPort::Available() {
    std::size_t n = 0;
    for (const Arrival& a : incoming_) n += a.at <= clock_.now;
    return n;
}

void ScriptedPort::DiscardInput() {
    events.push_back("discard input");
    while (!incoming_.empty() && incoming_.front().at <= clock_.now) incoming_.pop_front();
}

void ScriptedPort::SetDtr(bool on) {
    events.push_back(on ? "DTR on" : "DTR off");
    if (dtr_ && !on && monitor_) monitor_->HardReset();  // the reset ends when DTR drops
    dtr_ = on;
}

}  // namespace kx6500mon::testing
