#include "tools/tessary-calc/CalcRun.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "common/FileIo.h"
#include "common/MessageSink.h"
#include "lptlink/lptlink.h"
#include "studio/board/LptlinkSeams.h"
#include "studio/config/CDeviceDlg.h"
#include "studio/config/DeviceKind.h"
#include "studio/config/ParseReal.h"
#include "studio/config/SettingsStore.h"
#include "studio/config/TessaryDocument.h"
#include "studio/reports/ReportFile.h"
#include "tools/tessary-calc/CalcDemoBoard.h"
#include "tools/tessary-calc/CalcForm.h"

namespace tessary {

namespace {

using nlohmann::ordered_json;

// lptlink started, the studio's port on its first parallel port, and on the virtual
// port the board of the device attached (unless LPTLINK_SIM_BOARD pins one).
class BoardSession {
public:
    bool Start(DeviceKind device) {
        if (!lptlinkInit()) return false;
        started_ = true;
        port_.emplace(io_, static_cast<std::uint16_t>(lptlinkGetParPortBaseAdr(1)));
        SetApplicationPort(&*port_);
        SetApplicationTiming(&timing_);
        std::string name(DeviceName(device));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        lptlinkSimAttachBoard(name.c_str());
        return true;
    }
    ~BoardSession() {
        if (!started_) return;
        SetApplicationPort(nullptr);
        SetApplicationTiming(nullptr);
        lptlinkRelease();
    }

private:
    bool started_ = false;
    LptlinkPortIo io_;
    SystemBusTiming timing_;
    std::optional<CParallelPort> port_;
};

class NoWindowHost : public DeviceSelectionHost {
public:
    void ShowConfigurationView(DeviceKind) override {}
    void SetDocumentTitle(std::string_view) override {}
};

std::string FieldNames(const std::vector<ControlSpec>& controls) {
    std::string names;
    for (const auto& c : controls) names += (names.empty() ? "" : " ") + std::string(c.name);
    return names;
}

// Types TEXT into the named control; an error text when it cannot be done.
std::optional<std::string> TypeInto(CalcForm& form, const std::string& assignment) {
    const auto eq = assignment.find('=');
    if (eq == std::string::npos) return "--set needs FIELD=TEXT, got '" + assignment + "'";
    const std::string name = assignment.substr(0, eq);
    const std::string text = assignment.substr(eq + 1);
    for (const auto& control : form.Controls()) {
        if (control.name != name) continue;
        const std::size_t i = Index(control.id);
        if (control.kind == ControlKind::Text || control.kind == ControlKind::EditableList) {
            form.ControlState().text[i] = text;
            return std::nullopt;
        }
        int index = -1;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
        const int count = ChoiceCount(control);
        if (ec != std::errc() || end != text.data() + text.size() || index < 0 || index >= count)
            return "--set " + name + ": '" + text + "' is not an index from 0 to " + std::to_string(count - 1);
        form.ControlState().selection[i] = index;
        return std::nullopt;
    }
    return "--set: unknown field '" + name + "'; the fields are: " + FieldNames(form.Controls());
}

ordered_json ConfigJson(const CalcForm& form) {
    const FieldValues fields = form.ConfigFields();
    ordered_json config = ordered_json::object();
    for (const auto& control : form.Controls()) {
        const std::size_t i = Index(control.id);
        if (!form.InConfig(control.id)) continue;
        if (FindNumericSpec(control.id)) config[std::string(control.name)] = fields.number[i];
        else config[std::string(control.name)] = fields.index[i];
    }
    form.AddConfig(config);
    return config;
}

void PrintListing(const CalcForm& form, DeviceKind device, const std::vector<std::string>& messages,
                  std::ostream& out) {
    out << "Device: " << DeviceName(device) << "\n\nRegisters (download order):\n";
    for (const auto& [address, name, value] : form.Registers()) {
        const int digits = form.RegisterDigits();
        char line[64];
        std::snprintf(line, sizeof line, "  %02Xh  %-10s %0*X\n", address, name.c_str(), digits,
                      static_cast<unsigned>(value) & (digits >= 8 ? ~0u : (1u << (4 * digits)) - 1));
        out << line;
    }
    out << "\nComponents:\n";
    for (const auto& c : form.Components()) {
        out << "  " << c.name << " = " << c.text;
        if (ParseReal(c.text)) out << " " << c.unit;  // "N.A" and "TBD" carry no unit
        out << "\n";
    }
    out << "\nTypical current consumption: " << FormatReal("%2.5f", form.Current()) << " mA\n";
    if (!messages.empty()) {
        out << "\nMessages:\n";
        for (const auto& m : messages) out << "  " << OneLine(m) << "\n";
    }
}

struct BoardResults {
    bool stoppedByDirection = false;
    std::vector<std::pair<int, int>> readBack;
    std::string listing;  // the register view's read-back text
    std::string lock;
};

// With a register view the download, the chip buttons and the read-back are the view's.
BoardResults RunViewOperations(const CalcOptions& options, CalcForm& form, CalcRegisterView& view) {
    BoardResults results;
    if (options.download) view.UpdateDevice();
    if (options.chipReset) view.Reset();
    if (options.calibrate) view.Calibrate();
    if (options.readBack) results.listing = view.ReadBack();
    if (options.lock) results.lock = form.Lock();
    return results;
}

// reported: the refusal already on standard error, which a stopped download need not repeat.
BoardResults RunBoardOperations(const CalcOptions& options, CalcForm& form, RecordingMessageSink& messages,
                                std::size_t& firstMessage, std::ostream& err, CalcRegisterView* view = nullptr,
                                const std::string& reported = "") {
    if (view) return RunViewOperations(options, form, *view);
    BoardResults results;
    if (options.download) {
        firstMessage = messages.shown.size();  // the download applies the form again
        results.stoppedByDirection = !form.UpdateDevice();
        if (results.stoppedByDirection && messages.shown.back().text != reported)
            err << "tessary-calc: " << OneLine(messages.shown.back().text) << "\n";
    }
    if (options.chipReset) form.ChipReset();
    if (options.calibrate) form.Calibrate();
    if (options.readBack) results.readBack = form.ReadBack();
    if (options.lock) results.lock = form.Lock();
    return results;
}

}  // namespace

bool CalcOptions::DemoBoardNeedsPort() const {
    std::string ignored;
    for (const auto& text : demoBoard)
        if (const auto op = ParseDemoBoardOp(text, ignored); op && op->TouchesBoard()) return true;
    return false;
}

int RunCalc(const CalcOptions& options, std::ostream& out, std::ostream& err) {
    const auto device = DeviceFromName(options.device);
    if (!device) {
        err << "tessary-calc: unknown device '" << options.device << "'; choose KX400, KX900, KX6200, KX6300 or KX6500\n";
        return kExitUsage;
    }
    for (const auto& [kind, path] : options.reports) {
        if (kind != "settings" && kind != "registers") {
            err << "tessary-calc: --report takes settings or registers, not '" << kind << "'\n";
            return kExitUsage;
        }
    }

    std::vector<DemoBoardOp> demoOps;
    for (const auto& text : options.demoBoard) {
        std::string problem;
        const auto op = ParseDemoBoardOp(text, problem);
        if (!op) {
            err << "tessary-calc: " << problem << "\n";
            return kExitUsage;
        }
        demoOps.push_back(*op);
    }

    if (!HasCalcForm(*device)) {
        err << "tessary-calc: the " << DeviceName(*device) << " form is not available yet\n";
        return kExitUsage;
    }
    if (!HasChipButtons(*device) && (options.chipReset || options.calibrate || options.readBack)) {
        std::string asked;
        for (const auto& [given, name] : {std::pair{options.chipReset, "--chip-reset"},
                                          std::pair{options.calibrate, "--calibrate"},
                                          std::pair{options.readBack, "--read-back"}})
            if (given) asked += std::string(asked.empty() ? "" : ", ") + name;
        err << "tessary-calc: " << asked << ": the " << DeviceName(*device)
            << " has no chip reset, calibration or read-back\n";
        return kExitUsage;
    }
    // The port comes first: every bus the form builds takes the application's port.
    BoardSession board;
    if (options.NeedsBoard() && !board.Start(*device)) {
        err << "tessary-calc: the parallel port cannot be used (see the message above)\n";
        return kExitUsage;
    }
    TessaryDocument document;
    document.OnNewDocument();
    RecordingMessageSink messages;
    auto form = MakeCalcForm(*device, document, messages);

    if (options.open) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!ReadWholeFile(*options.open, bytes, error) || !document.Load(bytes, error)) {
            err << "tessary-calc: cannot open " << *options.open << ": " << error << "\n";
            return kExitUsage;
        }
    } else {
        MemorySettingsStore profile;  // the command line never touches the studio's profile
        CDeviceDlg dialog(document, profile);
        dialog.OnOpen();
        dialog.Select(ListIndex(*device));
        NoWindowHost host;
        dialog.OnOK(host);
    }
    form->FirstDisplay();

    for (const auto& assignment : options.sets) {
        if (auto problem = TypeInto(*form, assignment)) {
            err << "tessary-calc: " << *problem << "\n";
            return kExitUsage;
        }
    }
    std::size_t firstMessage = messages.shown.size();
    if (!form->PressEnter()) {
        const std::string refusal = messages.shown.back().text;
        err << refusal << "\n";
        // As in the studio, the board operations go on with the last completed
        // calculation; nothing is written and nothing printed.
        RunBoardOperations(options, *form, messages, firstMessage, err, nullptr, refusal);
        return kExitRefused;
    }

    for (const auto& [kind, path] : options.reports) {
        std::string error;
        if (!form->Report(kind, path, error)) {
            err << "tessary-calc: " << error << "\n";
            return kExitUsage;
        }
    }
    if (options.save) {
        std::string error;
        if (!WriteWholeFile(*options.save, document.SaveBytes(), error)) {
            err << "tessary-calc: " << error << "\n";
            return kExitUsage;
        }
    }

    std::unique_ptr<CalcRegisterView> view;
    if (options.eepSave) {
        const auto fresh = form->MakeCalcRegisterView(messages);
        std::string error;
        if (!WriteReportFile(*options.eepSave, fresh->EepText(), error)) {
            err << "tessary-calc: " << error << "\n";
            return kExitUsage;
        }
    }
    if (options.eepLoad) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        view = form->MakeCalcRegisterView(messages);
        if (!ReadWholeFile(*options.eepLoad, bytes, error)) {
            err << "tessary-calc: cannot open " << *options.eepLoad << ": " << error << "\n";
            return kExitUsage;
        }
        if (!view->LoadEep(bytes)) {
            err << "tessary-calc: " << *options.eepLoad << ": " << OneLine(messages.shown.back().text) << "\n";
            return kExitUsage;
        }
    }
    const BoardResults results = RunBoardOperations(options, *form, messages, firstMessage, err, view.get());
    ordered_json demoBoard;
    if (!demoOps.empty() && !results.stoppedByDirection) {
        const int exit = RunDemoBoard(demoOps, static_cast<int>(document.config.kx400.deviceNumber), err, demoBoard);
        if (exit != kExitOk) return exit;
    }
    std::vector<std::string> shown;
    for (std::size_t i = firstMessage; i < messages.shown.size(); ++i) shown.push_back(messages.shown[i].text);

    if (options.json) {
        ordered_json j;
        j["device"] = std::string(DeviceName(*device));
        j["slots"] = form->Slots();
        ordered_json components = ordered_json::object();
        for (const auto& c : form->Components()) components[c.name] = c.text;
        j["components"] = components;
        j["current_mA"] = form->Current();
        j["messages"] = shown;
        j["config"] = ConfigJson(*form);
        if (options.readBack && view) j["read_back_listing"] = results.listing;
        if (options.readBack && !view) {
            ordered_json readBack = ordered_json::object();
            for (const auto& [address, value] : results.readBack) readBack[Hex2(address)] = value;
            j["read_back"] = readBack;
        }
        if (view) j["register_view"] = view->Contents();
        if (options.lock) j["lock"] = results.lock;
        if (!demoBoard.is_null()) j["demo_board"] = demoBoard;
        if (options.NeedsBoard()) {
            ordered_json chip = ordered_json::object();
            for (const auto& [key, address] : form->BoardRegisters()) {
                const int value = lptlinkSimBoardRegister(address);
                if (value >= 0) chip[key] = value;
            }
            if (!chip.empty()) j["board"] = chip;
        }
        out << j.dump(2) << "\n";
    } else {
        PrintListing(*form, *device, shown, out);
        if (options.readBack && view) out << "\n" << results.listing;
        if (options.readBack && !view) {
            out << "\nRead back:\n";
            for (const auto& [address, value] : results.readBack) out << "  " << Hex2(address) << "h  " << Hex2(value) << "\n";
        }
        if (options.lock) out << "\nLock indicator: " << results.lock << "\n";
    }
    return results.stoppedByDirection ? kExitDirection : kExitOk;
}

}  // namespace tessary
