#include "sim/chip/SerialDoor.h"

namespace sim {

namespace {
constexpr std::uint8_t kRI = 0x01, kTI = 0x02, kREN = 0x10;
}

std::vector<std::uint8_t> SerialDoor::TakeTransmitted() {
    std::vector<std::uint8_t> bytes;
    bytes.swap(transmitted_);
    return bytes;
}

std::vector<std::uint8_t> SerialDoor::TakeWaiting() {
    std::vector<std::uint8_t> bytes(waiting_.begin(), waiting_.end());
    waiting_.clear();
    return bytes;
}

void SerialDoor::Transmit(std::uint8_t byte, std::uint64_t now) {
    transmitted_.push_back(byte);
    transmitting_ = true;
    transmitDoneAt_ = now + characterCycles_;
}

void SerialDoor::Advance(ChipMemory& memory, std::uint64_t now) {
    std::uint8_t& scon = memory.Sfr(scon_);
    if (transmitting_ && now >= transmitDoneAt_) {
        transmitting_ = false;
        scon |= kTI;
    }
    if (!waiting_.empty() && now >= nextReceiveAt_ && (scon & kREN) && !(scon & kRI)) {
        memory.Sfr(sbuf_) = waiting_.front();
        waiting_.pop_front();
        scon |= kRI;
        nextReceiveAt_ = now + characterCycles_;
    }
}

void SerialDoor::Reset() {
    transmitting_ = false;
    nextReceiveAt_ = 0;
    transmitDoneAt_ = 0;
}

}  // namespace sim
