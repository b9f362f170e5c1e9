#pragma once
// The serial line between the PC and the chip's UART: what a receiver at one bit rate
// makes of bytes sent at another, and bytes in flight, each taking its ten bit times
// (start bit, eight data bits, stop bit) behind the one before.

#include <cstdint>
#include <deque>
#include <optional>

namespace sim {

// The two ends agree when their rates differ by at most 4 % of the monitor's.
bool RatesAgree(int hostRate, int monitorRate);

// The byte a receiver at receiverRate samples (in the middle of each of its bit times)
// from a byte sent at senderRate.
std::uint8_t SampleAcrossRates(std::uint8_t byte, int senderRate, int receiverRate);

// A byte across rates that disagree: as sampled, and where the sampling happens to give
// the byte back (the frame is still broken) with its bits inverted, so that every byte
// comes out garbled.
std::uint8_t Garble(std::uint8_t byte, int senderRate, int receiverRate);

// Microseconds of one byte on the line at the rate.
double ByteMicroseconds(int rate);

class WireQueue {
public:
    // A byte put on the line at nowUs arrives once it and every byte before it have
    // crossed: byteUs after the later of now and the arrival of the byte before (at
    // once when byteUs is 0).
    void Put(std::uint8_t byte, std::uint64_t nowUs, double byteUs);
    // The next byte that has arrived by nowUs, with its time of arrival.
    struct Arrival {
        std::uint8_t byte;
        std::uint64_t atUs;
    };
    std::optional<Arrival> Take(std::uint64_t nowUs);
    // When the next byte arrives; nothing when the line is empty.
    std::optional<std::uint64_t> NextArrival() const;
    bool Empty() const { return bytes_.empty(); }

private:
    std::deque<Arrival> bytes_;
    double lastUs_ = 0;  // arrival of the last byte put, exact
};

}  // namespace sim
