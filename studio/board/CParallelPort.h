#pragma once
// The studio's one parallel port: a base address and three registers. Port access
// goes through PortIo so that tests put the virtual port underneath.

#include <cstdint>

namespace tessary {

class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::uint8_t Read(std::uint16_t address) = 0;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
};

// What a port reads without hardware behind it: every input high, writes lost.
class DisconnectedPortIo : public PortIo {
public:
    std::uint8_t Read(std::uint16_t) override { return 0xFF; }
    void Write(std::uint16_t, std::uint8_t) override {}
};

class CParallelPort {
public:
    CParallelPort(PortIo& io, std::uint16_t base) : io_(&io), base_(base) {}

    std::uint8_t ReadStatus() { return io_->Read(static_cast<std::uint16_t>(base_ + 1)); }
    void WriteData(std::uint8_t value) { io_->Write(base_, value); }
    void WriteControl(std::uint8_t value) { io_->Write(static_cast<std::uint16_t>(base_ + 2), value); }
    void SetBaseAddress(std::uint16_t base) { base_ = base; }
    std::uint16_t BaseAddress() const { return base_; }

private:
    PortIo* io_;
    std::uint16_t base_;
};

// Pauses and waits of the bus transfers.
class BusTiming {
public:
    virtual ~BusTiming() = default;
    virtual void SleepMilliseconds(int ms) = 0;      // operating-system sleep
    virtual void WaitMicroseconds(int us) = 0;       // busy wait
};

// The port and timing the application runs with. Until the application installs its
// own, buses talk to a disconnected port and do not wait.
CParallelPort& ApplicationPort();
BusTiming& ApplicationTiming();
void SetApplicationPort(CParallelPort* port);
void SetApplicationTiming(BusTiming* timing);

}  // namespace tessary
