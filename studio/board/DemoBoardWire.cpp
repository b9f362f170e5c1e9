#include "studio/board/DemoBoardWire.h"

namespace tessary {

bool DemoBoardWire::BoardPresent() {
    port_->WriteControl(3);
    return (port_->ReadStatus() & 0x80) != 0;
}

void DemoBoardWire::EnterForRead() {
    Data(0xFF);
    Sleep(10);
    Data(0xBF);
    Sleep(10);
    Data(0xFF);
    Sleep(20);
    ProgrammingEnable();
}

void DemoBoardWire::EnterForProgramEeprom() {
    Data(0x01);
    WaitMs(10);
    Data(0xFF);
    WaitMs(10);
    Data(0xBF);
    WaitMs(10);
    Data(0xFF);
    WaitMs(20);
    ProgrammingEnable();
    WaitMs(20);
}

void DemoBoardWire::EnterForProgramFlash() {
    Data(0xFF);
    WaitMs(10);
    Data(0xBF);
    WaitMs(10);
    Data(0xFF);
    WaitMs(20);
    ProgrammingEnable();
    WaitMs(10);
}

void DemoBoardWire::ClockPulse(std::uint8_t v) {
    timing_->WaitMicroseconds(100);
    Data(v == 0x10 ? v : static_cast<std::uint8_t>(v ^ 0x10));
    timing_->WaitMicroseconds(200);
}

void DemoBoardWire::SendByte(std::uint8_t b) {
    for (int bit = 7; bit >= 0; --bit) {
        const std::uint8_t v = ((b >> bit) & 1) ? 0xDF : 0xFF;
        Data(v);
        timing_->WaitMicroseconds(200);
        ClockPulse(v);
    }
}

std::uint8_t DemoBoardWire::ReceiveByte() {
    port_->WriteControl(2);
    unsigned value = 0;
    for (int i = 0; i < 8; ++i) {
        ClockPulse(0xEF);
        value = value << 1 | ((port_->ReadStatus() & 0x20) ? 0u : 1u);
        ClockPulse(0xFF);
    }
    return static_cast<std::uint8_t>(value);
}

void DemoBoardWire::Instruction(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    SendByte(b0);
    SendByte(b1);
    SendByte(b2);
    SendByte(b3);
}

std::uint8_t DemoBoardWire::Read(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    SendByte(b0);
    SendByte(b1);
    SendByte(b2);
    return ReceiveByte();
}

}  // namespace tessary
