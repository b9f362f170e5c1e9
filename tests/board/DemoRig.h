#pragma once
// The demonstration board on the virtual port in this process, with a clock that the
// programmer's pauses and waits advance instead of sleeping: the part keeps its 20 ms
// after entry, the test keeps its speed.

#include <memory>
#include <vector>

#include "sim/Boards.h"
#include "sim/VirtualPort.h"
#include "studio/board/DemoBoardProgrammer.h"

namespace tessary::testing {

struct TimedWrite {
    std::uint64_t time;
    std::uint16_t address;
    std::uint8_t value;
};

class ClockedTiming : public BusTiming {
public:
    explicit ClockedTiming(std::uint64_t& now) : now_(now) {}
    void SleepMilliseconds(int ms) override {
        now_ += static_cast<std::uint64_t>(ms) * 1000;
        slept += ms * 1000;
    }
    void WaitMicroseconds(int us) override {
        now_ += static_cast<std::uint64_t>(us);
        waited += us;
    }
    long long slept = 0, waited = 0;

private:
    std::uint64_t& now_;
};

class TimedPortIo : public PortIo {
public:
    TimedPortIo(sim::VirtualPort& port, std::uint64_t& now) : port_(port), now_(now) {}
    std::uint8_t Read(std::uint16_t address) override {
        ++reads;
        return port_.Read(address);
    }
    void Write(std::uint16_t address, std::uint8_t value) override {
        writes.push_back({now_, address, value});
        port_.Write(address, value);
    }
    std::vector<TimedWrite> DataWrites() const {
        std::vector<TimedWrite> d;
        for (const auto& w : writes)
            if (w.address == 0x378) d.push_back(w);
        return d;
    }
    std::vector<TimedWrite> writes;
    int reads = 0;

private:
    sim::VirtualPort& port_;
    std::uint64_t& now_;
};

struct DemoRig {
    // part: nullptr for a KX400 board without its demonstration board.
    explicit DemoRig(std::unique_ptr<sim::Tiny12> part = std::make_unique<sim::Tiny12>(), int deviceNumber = 4) {
        tiny = part.get();
        auto board = std::make_unique<sim::FrameBoard>(false, std::move(part));
        frames = board.get();
        virtualPort.Attach(std::move(board));
        programmer = std::make_unique<DemoBoardProgrammer>(deviceNumber, port, timing, messages);
    }
    std::uint64_t now = 0;
    sim::VirtualPort virtualPort{{0x378, 0, 0}, "", [this] { return now; }};
    TimedPortIo io{virtualPort, now};
    ClockedTiming timing{now};
    CParallelPort port{io, 0x378};
    RecordingMessageSink messages;
    sim::Tiny12* tiny = nullptr;
    sim::FrameBoard* frames = nullptr;
    std::unique_ptr<DemoBoardProgrammer> programmer;
};

}  // namespace tessary::testing
