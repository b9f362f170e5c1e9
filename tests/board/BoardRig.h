#pragma once
// A bus on the virtual port with a virtual board, in this process: the PortIo records
// every access, the timing records pauses and waits instead of sleeping.

#include <memory>
#include <string>
#include <vector>

#include "sim/Boards.h"
#include "sim/VirtualPort.h"
#include "studio/board/CRegisterBus.h"

namespace tessary::testing {

struct Access {
    char kind;  // 'W' or 'R'
    std::uint16_t address;
    std::uint8_t value;
};

class VirtualPortIo : public PortIo {
public:
    explicit VirtualPortIo(sim::VirtualPort& port) : port_(port) {}
    std::uint8_t Read(std::uint16_t address) override {
        const std::uint8_t v = port_.Read(address);
        log.push_back({'R', address, v});
        return v;
    }
    void Write(std::uint16_t address, std::uint8_t value) override {
        log.push_back({'W', address, value});
        port_.Write(address, value);
    }
    std::vector<Access> log;

private:
    sim::VirtualPort& port_;
};

class RecordingTiming : public BusTiming {
public:
    void SleepMilliseconds(int ms) override { events.push_back("sleep " + std::to_string(ms)); }
    void WaitMicroseconds(int us) override { events.push_back("wait " + std::to_string(us)); }
    int Count(const std::string& e) const {
        int n = 0;
        for (const auto& x : events) n += x == e;
        return n;
    }
    std::vector<std::string> events;
};

struct BoardRig {
    explicit BoardRig(std::unique_ptr<sim::VirtualBoard> b = nullptr) {
        if (b) {
            board = dynamic_cast<sim::RegisterFileBoard*>(b.get());
            virtualPort.Attach(std::move(b));
        }
    }
    // Data-register writes only, in order.
    std::vector<std::uint8_t> DataWrites() const {
        std::vector<std::uint8_t> d;
        for (const auto& a : io.log)
            if (a.kind == 'W' && a.address == 0x378) d.push_back(a.value);
        return d;
    }
    // The rig becomes the application's port, so that forms and register sets built
    // afterwards use it.
    void Install() {
        SetApplicationPort(&port);
        SetApplicationTiming(&timing);
    }
    ~BoardRig() {
        SetApplicationPort(nullptr);
        SetApplicationTiming(nullptr);
    }

    sim::VirtualPort virtualPort{{0x378, 0, 0}};
    VirtualPortIo io{virtualPort};
    RecordingTiming timing;
    CParallelPort port{io, 0x378};
    CRegisterBus bus{port, timing};
    sim::RegisterFileBoard* board = nullptr;
};

}  // namespace tessary::testing
