#include "tools/tessary-calc/CalcDemoBoard.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "common/MessageSink.h"
#include "studio/board/DemoBoardProgrammer.h"

namespace tessary {

namespace {

using Kind = DemoBoardOp::Kind;

struct OpName {
    const char* name;
    Kind kind;
    bool file;
};
constexpr OpName kOps[] = {
    {"default", Kind::Default, false},          {"load-eeprom", Kind::LoadEeprom, true},
    {"save-eeprom", Kind::SaveEeprom, true},    {"read-eeprom", Kind::ReadEeprom, false},
    {"program-eeprom", Kind::ProgramEeprom, false}, {"load-flash", Kind::LoadFlash, true},
    {"program-flash", Kind::ProgramFlash, false},
};

// A bar on standard error while the board is programmed or read, when it is a terminal.
class ProgressBar : public DemoProgressObserver {
public:
    explicit ProgressBar(std::string label) : label_(std::move(label)), shown_(isatty(STDERR_FILENO)) {}
    ~ProgressBar() override {
        if (shown_ && drawn_) std::fputs("\n", stderr);
    }
    void ProgressRange(DemoGroup, int maximum) override { maximum_ = maximum; }
    void Progress(DemoGroup, int value) override {
        if (!shown_ || maximum_ <= 0 || value == 0) return;
        constexpr int kWidth = 40;
        const int filled = value * kWidth / maximum_;
        std::fprintf(stderr, "\r%s [%s%s] %d/%d", label_.c_str(), std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), value, maximum_);
        std::fflush(stderr);
        drawn_ = true;
    }
    void StatusLine(DemoGroup, const std::string&) override {}

private:
    std::string label_;
    bool shown_;
    bool drawn_ = false;
    int maximum_ = 0;
};

int ExitFor(DemoOutcome outcome) {
    switch (outcome) {
        case DemoOutcome::Done: return 0;
        case DemoOutcome::NoBoard:
        case DemoOutcome::ForeignPart: return kExitNoDemoBoard;
        default: return 1;
    }
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

}  // namespace

std::optional<DemoBoardOp> ParseDemoBoardOp(const std::string& text, std::string& problem) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    for (const OpName& op : kOps) {
        if (name != op.name) continue;
        if (op.file && (eq == std::string::npos || eq + 1 == text.size())) {
            problem = "--demo-board " + name + " needs a file: " + name + "=FILE";
            return std::nullopt;
        }
        if (!op.file && eq != std::string::npos) {
            problem = "--demo-board " + name + " takes no file";
            return std::nullopt;
        }
        return DemoBoardOp{op.kind, op.file ? text.substr(eq + 1) : ""};
    }
    problem = "--demo-board: unknown operation '" + text +
              "'; the operations are default, load-eeprom=FILE, save-eeprom=FILE, read-eeprom, program-eeprom, "
              "load-flash=FILE, program-flash";
    return std::nullopt;
}

int RunDemoBoard(const std::vector<DemoBoardOp>& ops, int deviceNumber, std::ostream& err,
                 nlohmann::ordered_json& json) {
    RecordingMessageSink messages;
    DemoBoardProgrammer programmer(deviceNumber, ApplicationPort(), ApplicationTiming(), messages);
    for (const DemoBoardOp& op : ops) {
        DemoOutcome outcome = DemoOutcome::Done;
        switch (op.kind) {
            case Kind::Default: programmer.SelectSource(DemoBoardProgrammer::Source::Default); break;
            case Kind::LoadEeprom: outcome = programmer.LoadEeprom(Absolute(op.file)); break;
            case Kind::SaveEeprom: outcome = programmer.SaveEeprom(Absolute(op.file)); break;
            case Kind::LoadFlash: outcome = programmer.LoadFlash(Absolute(op.file)); break;
            case Kind::ReadEeprom:
            case Kind::ProgramEeprom:
            case Kind::ProgramFlash: {
                ProgressBar bar(op.kind == Kind::ReadEeprom      ? "read-eeprom"
                                : op.kind == Kind::ProgramEeprom ? "program-eeprom"
                                                                 : "program-flash");
                programmer.SetObserver(&bar);
                outcome = op.kind == Kind::ReadEeprom      ? programmer.ReadEeprom()
                          : op.kind == Kind::ProgramEeprom ? programmer.ProgramEeprom()
                                                           : programmer.ProgramFlash();
                programmer.SetObserver(nullptr);
                break;
            }
        }
        if (outcome != DemoOutcome::Done) {
            err << "tessary-calc: "
                << (messages.shown.empty() ? std::string("the demonstration board operation failed")
                                           : OneLine(messages.shown.back().text))
                << "\n";
            return ExitFor(outcome);
        }
    }
    json = nlohmann::ordered_json::object();
    json["eeprom"] = programmer.Eeprom();
    json["eeprom_status"] = programmer.EepromStatus();
    json["flash"] = programmer.Flash();
    json["flash_status"] = programmer.FlashStatus();
    return 0;
}

}  // namespace tessary
