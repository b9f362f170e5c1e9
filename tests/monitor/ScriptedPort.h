#pragma once
// The test side of the serial seam: a port in virtual time. Bytes the test (or the
// fake monitor behind it) delivers arrive at given times; a read waits for them in
// virtual time and honours its timeout exactly as the real port's total timeout;
// discarding drops only what has arrived, so bytes still on the way survive it. Every
// call is recorded.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "monitor/core/MonitorLink.h"
#include "monitor/core/MonitorTrace.h"
#include "monitor/core/Seams.h"
#include "tests/monitor/FakeMonitor.h"

namespace kx6500mon::testing {

class VirtualClock : public Clock {
public:
    std::uint64_t NowMs() override { return now; }
    void SleepMs(int ms) override {
        now += static_cast<std::uint64_t>(ms);
        slept.push_back(ms);
        if (onSleep) onSleep();
    }
    std::uint64_t now = 1000;
    std::vector<int> slept;
    std::function<void()> onSleep;  // e.g. a stop request while a program runs
};

class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(VirtualClock& clock) : clock_(clock) {}

    // Bytes from the target: the first arrives delayMs from now, the others gapMs apart.
    void Deliver(std::span<const std::uint8_t> bytes, int delayMs = 1, int gapMs = 0);
    // Puts a fake monitor behind the port: it hears every write and its answers arrive
    // 1 ms later, gapMs apart. A DTR pulse resets it.
    void Attach(FakeMonitor& monitor, int gapMs = 0) {
        monitor_ = &monitor;
        gapMs_ = gapMs;
    }
    // Changes each byte from the target before it is delivered; nullopt drops it.
    std::function<std::optional<std::uint8_t>(std::uint8_t)> fault;

    bool Open(int portNumber, int bitRate) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    std::size_t Read(std::uint8_t* buffer, std::size_t count, int constantMs, int perByteMs) override;
    bool Write(std::span<const std::uint8_t> bytes, int timeoutMs) override;
    std::size_t Available() override;
    void DiscardInput() override;
    void DiscardOutput() override { events.push_back("discard output"); }
    void ClearErrors() override {}
    void SetDtr(bool on) override;
    void SetRts(bool on) override { events.push_back(on ? "RTS on" : "RTS off"); }

    struct ReadCall {
        std::size_t count;
        int constantMs, perByteMs;
        std::size_t got;
    };
    bool opens = true;
    int openedPort = 0, openedRate = 0;
    std::vector<ReadCall> reads;
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<int> writeTimeouts;
    std::vector<std::string> events;  // discards and modem lines, in order
    std::size_t Pending() const { return incoming_.size(); }

private:
    struct Arrival {
        std::uint64_t at;
        std::uint8_t byte;
    };
    VirtualClock& clock_;
    FakeMonitor* monitor_ = nullptr;
    int gapMs_ = 0;
    bool open_ = false;
    bool dtr_ = false;
    std::deque<Arrival> incoming_;
};

// The trace lines, kept in memory.
class MemoryTrace : public TraceOutput {
public:
    void Write(const std::string& line) override { lines.push_back(line); }
    int Count(const std::string& part) const {
        int n = 0;
        for (const auto& l : lines) n += l.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> lines;
};

// Message boxes answered from a script (Retry/OK while answers last true), beeps kept.
class ScriptedNotifier : public Notifier {
public:
    bool Show(const tessary::UserMessage& message, Buttons) override {
        shown.push_back(message);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void Beep(int hz, int ms) override { beeps.push_back({hz, ms}); }
    std::deque<bool> answers;
    std::vector<tessary::UserMessage> shown;
    std::vector<std::pair<int, int>> beeps;
};

// A scripted port with a fake monitor behind it, a virtual clock, a trace in memory and
// scripted message boxes: what a link or a driver is built over.
struct TargetRig {
    VirtualClock clock;
    ScriptedPort port{clock};
    MemoryTrace traceLines;
    MonitorTrace trace{traceLines, clock};
    ScriptedNotifier notifier;
    FakeMonitor monitor;
    explicit TargetRig(int gapMs = 0) { port.Attach(monitor, gapMs); }
};

// A link over that, opened.
struct LinkRig : TargetRig {
    MonitorLink link{port, clock, notifier, trace};
    explicit LinkRig(int bitRate = 57600, int gapMs = 0) : TargetRig(gapMs) { link.Open(1, bitRate); }
};

}  // namespace kx6500mon::testing
