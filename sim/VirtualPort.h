#pragma once
// The virtual parallel port: up to three ports in a BIOS-style table, each with data,
// status and control registers in register values (the PC port's pin inversions are
// not modelled). One board at a time hangs on the first port of the table. Every
// access can be traced to a file, and the line levels dumped as a waveform.

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "sim/VirtualBoard.h"
#include "sim/Waveform.h"

namespace sim {

using PortTable = std::array<std::uint16_t, 3>;

// "0x378,0x278" style lists: up to three entries, 0x-hex or decimal, 0 for an empty
// entry; an empty text means no ports. Nothing for a malformed list.
std::optional<PortTable> ParsePortList(std::string_view text);

class VirtualPort {
public:
    using Clock = std::function<std::uint64_t()>;  // nanoseconds, monotonic

    explicit VirtualPort(PortTable table, const std::string& tracePath = "", Clock clock = {});
    ~VirtualPort();
    VirtualPort(const VirtualPort&) = delete;
    VirtualPort& operator=(const VirtualPort&) = delete;

    std::uint8_t Read(std::uint16_t address);
    void Write(std::uint16_t address, std::uint8_t value);
    PortTable Table() const { return table_; }
    bool Tracing() const { return trace_ != nullptr; }
    // Dumps every change of the lines to a VCD file from now on; false when the file
    // cannot be created. The wires are named at the first port write, after the board
    // attached then.
    bool DumpWaveform(const std::string& vcdPath);

    // Replaces the board (nullptr takes it off). The board sees the current lines.
    void Attach(std::unique_ptr<VirtualBoard> board);
    VirtualBoard* Board() { return board_.get(); }
    // Runs f with the board while no port access can interleave.
    template <typename F>
    void WithBoard(F&& f) {
        std::lock_guard guard(lock_);
        f(board_.get());
    }

private:
    struct Registers {
        std::uint8_t data = 0;
        std::uint8_t control = 0;
    };
    int PortOf(std::uint16_t address) const;
    void Trace(char kind, std::uint16_t address, std::uint8_t value, std::uint64_t ns);
    PortLines LinesOf(int port) const;
    std::size_t Scope(int port) const;  // the port's place among the dumped ports
    void StartWaveform();

    PortTable table_;
    std::array<Registers, 3> registers_{};
    std::unique_ptr<VirtualBoard> board_;
    int boardPort_ = -1;
    std::FILE* trace_ = nullptr;
    std::unique_ptr<VcdWriter> vcd_;
    Clock clock_;
    std::uint64_t start_ = 0;
    std::mutex lock_;
};

}  // namespace sim
