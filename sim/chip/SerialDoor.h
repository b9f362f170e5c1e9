#pragma once
// A serial port of the chip seen as a byte stream: the other end of the line puts
// bytes in and takes the bytes the program sent. Bytes wait until the program's
// receiver is enabled (REN) and its last byte taken (RI clear), so none is lost to a
// slow program; a line time per character can be set to pace both directions.

#include <cstdint>
#include <deque>
#include <vector>

#include "sim/chip/ChipMemory.h"

namespace sim {

class SerialDoor {
public:
    SerialDoor(std::uint8_t scon, std::uint8_t sbuf) : scon_(scon), sbuf_(sbuf) {}

    // ---- the line's side
    // A byte arrives at the chip's receiver.
    void Receive(std::uint8_t byte) { waiting_.push_back(byte); }
    // Received bytes the program has not been given yet.
    std::size_t Waiting() const { return waiting_.size(); }
    // Hands the waiting bytes to whoever takes over the receiver from the program.
    std::vector<std::uint8_t> TakeWaiting();
    // The bytes the program sent since the last call.
    std::vector<std::uint8_t> TakeTransmitted();
    // Machine cycles per character on the line (0: a byte moves at once).
    void SetCharacterCycles(std::uint64_t cycles) { characterCycles_ = cycles; }

    // ---- the chip's side
    bool Busy() const { return !waiting_.empty() || transmitting_; }
    // A write to SBUF: the byte goes out; TI follows one character time later.
    void Transmit(std::uint8_t byte, std::uint64_t now);
    // Sets RI with the next waiting byte in SBUF, and TI when a byte has gone out.
    void Advance(ChipMemory& memory, std::uint64_t now);
    // Power-on: the line is kept, the port's timing state is not.
    void Reset();

private:
    std::uint8_t scon_, sbuf_;
    std::deque<std::uint8_t> waiting_;
    std::vector<std::uint8_t> transmitted_;
    std::uint64_t characterCycles_ = 0;
    std::uint64_t nextReceiveAt_ = 0;
    std::uint64_t transmitDoneAt_ = 0;
    bool transmitting_ = false;
};

}  // namespace sim
