#include "studio/board/CRegisterBus.h"

namespace tessary {

namespace {
// KX400/KX900 frame bus and three-wire bus: data register bits.
constexpr std::uint8_t kHeld = 0x01;
constexpr std::uint8_t kClock = 0x02;
constexpr std::uint8_t kData = 0x04;
constexpr std::uint8_t kLatch = 0x08;  // load strobe on the frame bus, address latch on the three-wire bus
// KX6500 board bus.
constexpr std::uint8_t kKX6500Idle = 0xC1;
constexpr std::uint8_t kKX6500Marker = 0x02;
constexpr std::uint8_t kClockLow = 2, kClockHigh = 3, kBusIdle = 0;

bool Bit(unsigned value, int n) { return (value >> n) & 1u; }
}  // namespace

void CRegisterBus::WriteFrame(std::uint16_t frame) {
    CParallelPort& p = *port_;
    p.WriteControl(3);
    std::uint8_t d = kHeld;
    p.WriteData(d);
    Pause();
    for (int bit = 15; bit >= 0; --bit) {
        d |= kClock;
        p.WriteData(d);
        d = static_cast<std::uint8_t>(Bit(frame, bit) ? d | kData : d & ~kData);
        p.WriteData(d);
        Pause();
        d &= static_cast<std::uint8_t>(~kClock);
        p.WriteData(d);
        Pause();
    }
    d |= kLatch;
    p.WriteData(d);
    Pause();
    d &= static_cast<std::uint8_t>(~kLatch);
    p.WriteData(d);
    Pause();
}

void CRegisterBus::WriteFrameSet(const std::array<int, 8>& values) {
    // Only the 13 contents bits go with the address: a wider value (unchecked input can
    // compute one) must not turn into another frame's address.
    for (int i = 0; i < 8; ++i) WriteFrame(FrameWord(i, values[i]));
}

void CRegisterBus::WriteRegister(std::uint8_t address, std::uint8_t data) {
    CParallelPort& p = *port_;
    p.WriteControl(3);
    p.WriteData(0x0F);
    std::uint8_t d = 0x07;
    p.WriteData(d);
    const unsigned addressByte = static_cast<unsigned>(address << 1) | 1u;
    for (int bit = 7; bit >= 0; --bit) {
        d = static_cast<std::uint8_t>((Bit(addressByte, bit) ? d | kData : d & ~kData) | kClock);
        p.WriteData(d);
        d &= static_cast<std::uint8_t>(~kClock);
        p.WriteData(d);
    }
    d |= kClock;
    p.WriteData(d);
    d |= kLatch;
    p.WriteData(d);
    for (int bit = 7; bit >= 0; --bit) {
        d |= kClock;
        p.WriteData(d);
        d = static_cast<std::uint8_t>(Bit(data, bit) ? d | kData : d & ~kData);
        p.WriteData(d);
        d &= static_cast<std::uint8_t>(~kClock);
        p.WriteData(d);
    }
    d |= kClock;
    p.WriteData(d);
    d |= kLatch;
    p.WriteData(d);
}

std::uint8_t CRegisterBus::ReadRegister(std::uint8_t address) {
    CParallelPort& p = *port_;
    p.WriteControl(3);
    p.WriteData(0x0B);
    std::uint8_t d = 0x03;
    p.WriteData(d);
    const unsigned addressByte = static_cast<unsigned>(address << 1);
    for (int bit = 7; bit >= 0; --bit) {
        d |= kClock;
        p.WriteData(d);
        d = static_cast<std::uint8_t>(Bit(addressByte, bit) ? d | kData : d & ~kData);
        p.WriteData(d);
        d &= static_cast<std::uint8_t>(~kClock);
        p.WriteData(d);
    }
    d |= kClock;
    p.WriteData(d);
    d ^= kData | kLatch;
    p.WriteData(d);
    unsigned result = 0;
    for (int i = 0; i < 8; ++i) {
        d |= kClock;
        p.WriteData(d);
        d &= static_cast<std::uint8_t>(~kClock);
        p.WriteData(d);
        Pause();
        result = result << 1 | (Bit(p.ReadStatus(), 7) ? 1u : 0u);
    }
    p.WriteData(d);
    p.WriteData(d);
    return static_cast<std::uint8_t>(result);
}

void CRegisterBus::SendKX6500Byte(std::uint8_t byte, bool marker) {
    CParallelPort& p = *port_;
    for (int bit = 7; bit >= 0; --bit) {
        std::uint8_t d = kKX6500Idle;
        if (Bit(byte, bit)) d |= kData;
        if (marker && bit == 7) d |= kKX6500Marker;
        p.WriteData(d);
        Wait();
        p.WriteControl(kClockHigh);
        Wait();
        p.WriteControl(kClockLow);
    }
}

void CRegisterBus::WriteRegisterKX6500(std::uint8_t address, std::uint8_t data) {
    CParallelPort& p = *port_;
    p.WriteData(kKX6500Idle);
    p.WriteControl(kClockLow);
    SendKX6500Byte(static_cast<std::uint8_t>(address | 0x80), true);
    SendKX6500Byte(data, false);
    p.WriteData(kKX6500Idle);
    p.WriteControl(kBusIdle);
}

std::uint8_t CRegisterBus::ReadRegisterKX6500(std::uint8_t address) {
    CParallelPort& p = *port_;
    p.WriteData(kKX6500Idle);
    p.WriteControl(kClockLow);
    SendKX6500Byte(static_cast<std::uint8_t>(address & 0x7F), true);
    unsigned result = 0;
    for (int i = 0; i < 8; ++i) {
        p.WriteData(kKX6500Idle);
        Wait();
        p.WriteControl(kClockHigh);
        Wait();
        result = result << 1 | (Bit(p.ReadStatus(), 4) ? 1u : 0u);
        p.WriteControl(kClockLow);
    }
    p.WriteData(kKX6500Idle);
    p.WriteControl(kBusIdle);
    return static_cast<std::uint8_t>(result);
}

void CRegisterBus::ResetKX6500() {
    CParallelPort& p = *port_;
    p.WriteControl(kClockLow);
    p.WriteData(0x01);
    Pause();
    p.WriteData(kKX6500Idle);
    p.WriteControl(kBusIdle);
}

bool CRegisterBus::GetLockPin() { return !Bit(port_->ReadStatus(), 4); }

void CRegisterBus::PulseReset(std::uint8_t mainAddress, int main) {
    WriteRegister(mainAddress, static_cast<std::uint8_t>(main & ~0x01));
    WriteRegister(mainAddress, static_cast<std::uint8_t>(main | 0x01));
}

void CRegisterBus::PulseCalibration(std::uint8_t calAddress, int cal, bool boardBus) {
    const auto write = [&](int value) {
        if (boardBus) WriteRegisterKX6500(calAddress, static_cast<std::uint8_t>(value));
        else WriteRegister(calAddress, static_cast<std::uint8_t>(value));
    };
    const int v = cal & 0x7F;
    write(v);
    write(v | 0x80);
    timing_->SleepMilliseconds(40);
    write(v);
}

}  // namespace tessary
