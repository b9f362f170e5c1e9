#pragma once
// The ATtiny12's serial programming instructions on the studio's port, line for line
// and wait for wait: SCK on data bit 4 (1 while a bit is set up), data to the part on
// data bit 5 inverted, reset on data bit 6, data from the part on status bit 5
// inverted, the board's presence on status bit 7.

#include <cstdint>

#include "studio/board/CParallelPort.h"

namespace tessary {

class DemoBoardWire {
public:
    DemoBoardWire(CParallelPort& port, BusTiming& timing) : port_(&port), timing_(&timing) {}

    // control := 3 and status bit 7.
    bool BoardPresent();
    // The reset pulse and Programming Enable with the pauses of each operation.
    void EnterForRead();
    void EnterForProgramEeprom();
    void EnterForProgramFlash();

    void Instruction(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
    // The three bytes sent, the fourth received.
    std::uint8_t Read(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);

    void ProgrammingEnable() { Instruction(0xAC, 0x53, 0x00, 0x00); }
    void ChipErase() { Instruction(0xAC, 0x80, 0x00, 0x00); }

    void Data(std::uint8_t value) { port_->WriteData(value); }
    void Sleep(int ms) { timing_->SleepMilliseconds(ms); }
    void WaitMs(int ms) { timing_->WaitMicroseconds(ms * 1000); }

private:
    void ClockPulse(std::uint8_t v);
    void SendByte(std::uint8_t b);
    std::uint8_t ReceiveByte();

    CParallelPort* port_;
    BusTiming* timing_;
};

}  // namespace tessary
