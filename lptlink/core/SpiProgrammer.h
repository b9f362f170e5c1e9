#pragma once
// The KX6500 flash programming protocol over the parallel port: delay calibration,
// 32-bit exchanges, the programming-enable handshake, the transaction with all its
// actions, the flash test, and the trace.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

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
    std::int64_t HalfBitDelay() const { return half_; }
    std::int64_t ReadDelay() const { return read_; }

private:
    void Calibrate(int spiRate);
    std::uint32_t Transfer(std::uint32_t word, std::int64_t extra);
    bool EnterProgrammingMode();
    void Trace(const std::string& text);
    unsigned Run(Mem8051* mem, float clockHz, int action, int lockBits, const Progress& progress, char** deviceName);
    static void Delay(std::int64_t iterations);

    SpiPort& port_;
    SpiTime& time_;
    ProgrammerTrace* trace_;
    std::uint16_t base_ = 0x378;
    std::int64_t half_ = 0;
    std::int64_t read_ = 0;
    std::uint64_t frequency_ = 0;
};

}  // namespace lptlink
