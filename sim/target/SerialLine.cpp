#include "sim/target/SerialLine.h"

#include <algorithm>
#include <cmath>

namespace sim {

bool RatesAgree(int hostRate, int monitorRate) {
    if (hostRate <= 0 || monitorRate <= 0) return true;
    return std::abs(hostRate - monitorRate) <= 0.04 * monitorRate;
}

std::uint8_t SampleAcrossRates(std::uint8_t byte, int senderRate, int receiverRate) {
    // The sender's frame: bit 0 the start bit (0), bits 1 to 8 the data, then stop and
    // an idle line (1).
    auto level = [byte](long bit) { return bit == 0 ? 0 : bit <= 8 ? (byte >> (bit - 1)) & 1 : 1; };
    std::uint8_t sampled = 0;
    for (int k = 0; k < 8; ++k) {
        const double t = (1.5 + k) / receiverRate;  // seconds after the start edge
        sampled = static_cast<std::uint8_t>(sampled | level(static_cast<long>(std::floor(t * senderRate))) << k);
    }
    return sampled;
}

std::uint8_t Garble(std::uint8_t byte, int senderRate, int receiverRate) {
    const std::uint8_t sampled = SampleAcrossRates(byte, senderRate, receiverRate);
    return sampled == byte ? static_cast<std::uint8_t>(~byte) : sampled;
}

double ByteMicroseconds(int rate) { return rate > 0 ? 10e6 / rate : 0; }

void WireQueue::Put(std::uint8_t byte, std::uint64_t nowUs, double byteUs) {
    const double now = static_cast<double>(nowUs);
    lastUs_ = byteUs > 0 ? std::max(now, lastUs_) + byteUs : std::max(now, lastUs_);
    bytes_.push_back({byte, static_cast<std::uint64_t>(std::ceil(lastUs_))});
}

std::optional<WireQueue::Arrival> WireQueue::Take(std::uint64_t nowUs) {
    if (bytes_.empty() || bytes_.front().atUs > nowUs) return std::nullopt;
    const Arrival a = bytes_.front();
    bytes_.pop_front();
    return a;
}

std::optional<std::uint64_t> WireQueue::NextArrival() const {
    if (bytes_.empty()) return std::nullopt;
    return bytes_.front().atUs;
}

}  // namespace sim
