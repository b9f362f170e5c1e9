#pragma once
// Everything the monitor driver asks of the world outside it: the serial port, time,
// the trace file, message boxes and the beep. The plug-in plugs in termios, the
// monotonic clock and the host's message boxes; tests plug in a scripted port and a
// virtual clock.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/MessageSink.h"

namespace kx6500mon {

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens COM<portNumber> for reading and writing, unshared, and applies the line
    // settings: the bit rate, 8 data bits, no parity, one stop bit, raw bytes, no flow
    // control of any kind, DTR off and RTS on. False when the device cannot be opened
    // or configured (it is then closed again).
    virtual bool Open(int portNumber, int bitRate) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Reads up to count bytes; the read ends when count bytes have come or when
    // constantMs + perByteMs * count milliseconds have passed since the call. Returns
    // the number of bytes read.
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t count, int constantMs, int perByteMs) = 0;
    // True when every byte was written within timeoutMs.
    virtual bool Write(std::span<const std::uint8_t> bytes, int timeoutMs) = 0;
    // The number of bytes received and not yet read; never waits.
    virtual std::size_t Available() = 0;
    // Drops what has been received and not read, and what is queued and not sent.
    virtual void DiscardInput() = 0;
    virtual void DiscardOutput() = 0;
    virtual void ClearErrors() = 0;
    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t NowMs() = 0;  // monotonic
    virtual void SleepMs(int ms) = 0;
};

// Receives the trace's finished lines (each ends in a line end); the file behind it is
// opened at the first line.
class TraceOutput {
public:
    virtual ~TraceOutput() = default;
    virtual void Write(const std::string& line) = 0;
};

enum class Buttons { Ok, RetryCancel, OkCancel };

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows a message box; true when Retry or OK was chosen (always true for Ok).
    virtual bool Show(const tessary::UserMessage& message, Buttons buttons) = 0;
    virtual void Beep(int hz, int ms) = 0;
};

}  // namespace kx6500mon
