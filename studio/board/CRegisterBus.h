#pragma once
// The bit-banged transfers to the evaluation boards, byte for byte and pause for
// pause: the KX400/KX900 frame bus, the KX6200/KX6300 three-wire bus, the KX6500
// board bus with its hardware reset, and the lock input. No transfer reports errors.

#include <array>
#include <cstdint>

#include "studio/board/CParallelPort.h"

namespace tessary {

// The 16-bit word of a KX400/KX900 frame as sent: the frame address in bits 15 to 13,
// the low 13 bits of the value below it.
constexpr std::uint16_t FrameWord(int index, int value) {
    return static_cast<std::uint16_t>((value & 0x1FFF) | (index & 7) << 13);
}

class CRegisterBus {
public:
    // The application's port and timing.
    CRegisterBus() : CRegisterBus(ApplicationPort(), ApplicationTiming()) {}
    CRegisterBus(CParallelPort& port, BusTiming& timing) : port_(&port), timing_(&timing) {}

    void WriteFrame(std::uint16_t frame);
    void WriteFrameSet(const std::array<int, 8>& values);
    void WriteRegister(std::uint8_t address, std::uint8_t data);
    std::uint8_t ReadRegister(std::uint8_t address);
    void WriteRegisterKX6500(std::uint8_t address, std::uint8_t data);
    std::uint8_t ReadRegisterKX6500(std::uint8_t address);
    void ResetKX6500();
    bool GetLockPin();

    // The chip buttons. "&Reset" of the three-wire chips: MAIN with its reset bit
    // cleared, then set. "&Calibrate": CAL without START, with START, and after 40 ms
    // without it again; on the KX6500 board bus when boardBus.
    void PulseReset(std::uint8_t mainAddress, int main);
    void PulseCalibration(std::uint8_t calAddress, int cal, bool boardBus = false);

    void SetBaseAddress(std::uint16_t base) { port_->SetBaseAddress(base); }
    CParallelPort& Port() { return *port_; }
    BusTiming& Timing() { return *timing_; }

private:
    void Pause() { timing_->SleepMilliseconds(1); }
    void Wait() { timing_->WaitMicroseconds(200); }
    void SendKX6500Byte(std::uint8_t byte, bool marker);

    CParallelPort* port_;
    BusTiming* timing_;
};

}  // namespace tessary
