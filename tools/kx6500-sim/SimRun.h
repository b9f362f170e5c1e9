#pragma once
// kx6500-sim's batch door: a HEX file into an erased chip, N instructions from reset,
// the state afterwards as JSON or as a short text.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "sim/chip/KX6500Chip.h"

namespace tessary {

// Programs the image of Intel HEX text into the chip's erased flash. False with a
// message when the text is no HEX file or holds data at 0x8000 or above (the chip
// is then left erased).
bool LoadHexIntoChip(std::string_view text, sim::KX6500Chip& chip, std::string& error);

nlohmann::json ChipStateJson(const sim::KX6500Chip& chip);
std::string ChipStateText(const sim::KX6500Chip& chip);

struct SimRunOptions {
    std::string file;
    std::uint64_t steps = 0;
    bool json = false;
    // Called now and then during a long run with the instructions done so far.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

// Exit status: 0, or 1 when the file cannot be read or loaded (message on err).
int RunBatch(const SimRunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tessary
