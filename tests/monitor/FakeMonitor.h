#pragma once
// A small stand-in for the debug monitor, for tests of the link: it takes the PC's
// bytes as they come, decodes frames (checking their CRC), and answers from memory
// arrays as the monitor's protocol says. Scripts can change what it answers: the
// status sequence, silence, a replacement reply for a request.

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

    // Feeds the PC's bytes; answers the bytes the monitor sends back.
    std::vector<std::uint8_t> Feed(std::span<const std::uint8_t> bytes);
    // The DTR pulse of a hard reset: the monitor restarts with afterReset's statuses.
    void HardReset();

    std::array<std::uint8_t, 0x10000> xdata{}, code{};
    std::array<std::uint8_t, 0x100> iram{}, sfr{};
    std::uint16_t saveArea = 0x07E0;
    bool answersStop = true;       // answers 0x88 (the monitor is in control)
    bool silent = false;           // answers nothing at all
    bool silentUntilReset = false; // answers nothing until the next hard reset
    std::deque<std::uint8_t> statuses;    // the next polls' statuses; then readyStatus
    std::deque<std::uint8_t> afterReset;  // statuses after a hard reset
    std::uint8_t readyStatus = 0x00;
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

    std::vector<std::uint8_t> pending_;  // bytes of an incomplete frame
    std::uint8_t writeSpace_ = 0;
    std::uint16_t writeAddress_ = 0;
    std::size_t writeCount_ = 0;
};

}  // namespace kx6500mon::testing
