#pragma once
// tessary-calc: the configuration engine of the studio without its windows. The run
// does what a person would do in the studio: choose the device (or open a document),
// let the form display, type into fields, press Enter, print reports and save.

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tessary {

struct CalcOptions {
    std::string device = "KX6200";
    std::optional<std::string> open;
    std::vector<std::string> sets;  // FIELD=TEXT
    bool json = false;
    std::optional<std::string> save;
    std::vector<std::pair<std::string, std::string>> reports;  // kind, file
    // The EEP file of a fresh register view of the device: written after the save, or
    // loaded into that view, whose own download and read-back the board operations
    // then use.
    std::optional<std::string> eepSave;
    std::optional<std::string> eepLoad;
    // Board operations, run in this order after the apply, the reports and the save.
    bool download = false;
    bool chipReset = false;
    bool calibrate = false;
    bool readBack = false;
    bool lock = false;
    // The demonstration-board programmer's operations, after everything else.
    std::vector<std::string> demoBoard;

    bool DemoBoardNeedsPort() const;
    bool NeedsBoard() const { return download || chipReset || calibrate || readBack || lock || DemoBoardNeedsPort(); }
};

enum CalcExit { kExitOk = 0, kExitUsage = 1, kExitRefused = 2, kExitDirection = 3 };

int RunCalc(const CalcOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tessary
