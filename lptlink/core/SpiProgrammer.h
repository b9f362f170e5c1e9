#pragma once
// The KX6500 flash programming protocol over the parallel port: delay calibration,
// 32-bit exchanges, the programming-enable handshake, the transaction with all its
// actions, the flash test, and the trace.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "lptlink/core/SpiBitClock.h"
#include "lptlink/lptlink.h"

namespace lptlink {

class SpiPort {
public:
    virtual ~SpiPort() = default;
    virtual std::uint8_t Read(std::uint16_t address) = 0;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
};

class SpiTime {
public:
    virtual ~SpiTime() = default;
    virtual bool Frequency(std::uint64_t& ticksPerSecond) = 0;
    virtual std::uint64_t Now() = 0;
    virtual void SleepMilliseconds(int ms) = 0;
    virtual void WaitMicroseconds(int us) = 0;
};

// "lptprog.dmp": opened at the first line, kept open until Close. Each line is
// stamped with the milliseconds since the file was opened.
class ProgrammerTrace {
public:
    explicit ProgrammerTrace(std::string path) : path_(std::move(path)) {}
    ~ProgrammerTrace() { Close(); }
    // clockMs: the time of the line on any millisecond clock that does not wrap.
    void Line(std::uint64_t clockMs, const std::string& text);
    void Close();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::uint64_t openedMs_ = 0;
};

// The trace's description of an exchange.
std::string DescribeExchange(std::uint32_t tx, std::uint32_t rx);
// The name the signature byte gives the device.
std::string DeviceName(int signature);
// The flash timing value for a clock in Hz.
int FlashTiming(double clockHz);

using Progress = std::function<int(const char*, int)>;

class SpiProgrammer {
public:
    SpiProgrammer(SpiPort& port, SpiTime& time, ProgrammerTrace* trace) : port_(port), time_(time), trace_(trace) {}

    unsigned Transaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action, int lockBits,
                         const Progress& progress, char** deviceName);
    unsigned FlashTest(int randomPatterns, int portBase, float clockHz, int spiRate, const Progress& progress,
                       char** deviceName);

    bool simulation = false;
    const SpiBitClock& BitClock() const { return clock_; }

private:
    void Calibrate(int spiRate);
    // One bit as an exchange clocks it: SCK high for half a period, SCK low with the
    // data, the device's bit read, SCK high one period after the last rising edge.
    // A word's first bit has no edge before it: its low phase lasts half a period. The
    // bit before the byte a read returns stays low for the read wait. Returns the status.
    enum class BitKind { First, Next, BeforeReadByte };
    std::uint8_t Bit(std::uint8_t low, std::uint8_t high, BitKind kind);
    // Spins until the counter reaches t and returns the last reading.
    std::uint64_t SpinUntil(std::uint64_t t);
    void HalfBitWait();
    std::uint32_t Transfer(std::uint32_t word, bool readsAByte);
    bool EnterProgrammingMode();
    void Trace(const std::string& text);
    unsigned Run(Mem8051* mem, float clockHz, int action, int lockBits, const Progress& progress, char** deviceName);

    SpiPort& port_;
    SpiTime& time_;
    ProgrammerTrace* trace_;
    std::uint16_t base_ = 0x378;
    SpiBitClock clock_;
    std::uint64_t edge_ = 0;  // the counter just after the latest rising SCK edge
    std::uint64_t frequency_ = 0;
};

}  // namespace lptlink
