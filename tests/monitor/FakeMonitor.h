#pragma once
// A small stand-in for the debug monitor, for tests of the link and the driver: it
// takes the PC's bytes as they come, decodes frames (checking their CRC), and answers
// from memory arrays as the monitor's protocol says. Scripts can change what it
// answers: the status sequence, silence, a replacement reply for a request.
//
// It runs programs too, a few 8051 instructions of them: the program's registers live
// in the save area while the monitor is in control, as on the chip. An 0xA5 opcode
// returns to the monitor with the program counter past it; RDATA, RADRL and RADRH of
// the save area replace the opcode at one address, as the chip's replacement mechanism
// does. Instructions: NOP 00, LJMP 02, INC A 04, SJMP 80, MOV A,#n 74, INC DPTR A3,
// MOVX @DPTR,A F0; any other opcode takes one byte and does nothing.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "monitor/core/Protocol.h"

namespace kx6500mon::testing {

class FakeMonitor {
public:
    FakeMonitor();

    // Feeds the PC's bytes; answers the bytes the monitor sends back at once. Bytes it
    // sends later (a running program that reached a breakpoint) are left in `later`.
    std::vector<std::uint8_t> Feed(std::span<const std::uint8_t> bytes);
    // The DTR pulse of a hard reset: the monitor restarts with afterReset's statuses.
    void HardReset();
    // Lets a running program go on for runBudget instructions; answers what the monitor
    // sends when it comes back.
    std::vector<std::uint8_t> Tick();

    // The program's state in the save area.
    std::uint16_t Pc() const;
    void SetPc(std::uint16_t pc);
    std::uint8_t& Saved(int offset) { return xdata[(saveArea + offset) & 0xFFFF]; }

    std::array<std::uint8_t, 0x10000> xdata{}, code{};
    std::array<std::uint8_t, 0x100> iram{}, sfr{};
    std::uint16_t saveArea = 0x07E0;
    bool answersStop = true;       // answers 0x88 (the monitor is in control)
    bool silent = false;           // answers nothing at all
    bool silentUntilReset = false; // answers nothing until the next hard reset
    std::deque<std::uint8_t> statuses;    // the next polls' statuses; then readyStatus
    std::deque<std::uint8_t> afterReset;  // statuses after a hard reset
    std::uint8_t readyStatus = 0x00;
    // Run control: the statuses of a step (then extra ones, e.g. a second reply), of its
    // end, of the preparation of a run, and of a program back at a breakpoint.
    std::vector<std::uint8_t> stepStatuses{0x06};
    std::uint8_t endStepStatus = 0x00;
    std::uint8_t prepareStatus = 0x02;
    std::uint8_t breakpointStatus = 0x00;
    std::uint8_t stoppedStatus = 0x08;  // a poll stopped the program
    long runBudget = 100000;            // instructions a run goes on for, at once and per Tick
    bool running = false;
    long executed = 0;
    int failPrograms = 0;  // page programs the flash does not take
    std::vector<std::uint8_t> later;
    int laterDelayMs = 2;
    // A request's reply in place of the usual one (raw bytes, possibly several frames
    // or none); nullopt keeps the usual reply.
    std::function<std::optional<std::vector<std::uint8_t>>(const Frame&)> override;

    std::vector<Frame> requests;  // every frame received, polls included
    int resets = 0;
    int badFrames = 0;
    int pagePrograms = 0;

    static std::vector<std::uint8_t> Reply(std::uint8_t code, std::span<const std::uint8_t> data);
    static std::uint16_t PageCrc(std::span<const std::uint8_t> page);

private:
    std::vector<std::uint8_t> Answer(const Frame& request);
    std::uint8_t* Space(std::uint8_t space, std::uint16_t address);
    std::vector<std::uint8_t> Status(std::uint8_t status);
    // Runs up to n instructions; true when the program came back at an 0xA5.
    bool Execute(long n);
    std::uint8_t Fetch(std::uint16_t address);

    std::vector<std::uint8_t> pending_;  // bytes of an incomplete frame
    std::uint8_t writeSpace_ = 0;
    std::uint16_t writeAddress_ = 0;
    std::size_t writeCount_ = 0;
};

}  // namespace kx6500mon::testing
