#pragma once
// --demo-board: the demonstration-board programmer's controls on one programmer, in
// the order given, after everything else of the run.

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessary {

struct DemoBoardOp {
    enum class Kind { Default, LoadEeprom, SaveEeprom, ReadEeprom, ProgramEeprom, LoadFlash, ProgramFlash } kind;
    std::string file;
    bool TouchesBoard() const { return kind == Kind::ReadEeprom || kind == Kind::ProgramEeprom || kind == Kind::ProgramFlash; }
};

// Nothing, with the problem, for an operation that is not one.
std::optional<DemoBoardOp> ParseDemoBoardOp(const std::string& text, std::string& problem);

// Exit status 0 when every operation ran; 1 or 4 for the first that did not (its
// message on err; the rest skipped). json: the buffers and status lines afterwards.
int RunDemoBoard(const std::vector<DemoBoardOp>& ops, int deviceNumber, std::ostream& err,
                 nlohmann::ordered_json& json);

inline constexpr int kExitNoDemoBoard = 4;

}  // namespace tessary
