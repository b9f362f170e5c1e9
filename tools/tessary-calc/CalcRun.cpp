#include "tools/tessary-calc/CalcRun.h"

#include <charconv>
#include <cstdio>
#include <tuple>
#include <memory>
#include <nlohmann/json.hpp>

#include "common/FileIo.h"
#include "common/MessageSink.h"
#include "studio/config/CConfigViewKX6200.h"
#include "studio/config/CDeviceDlg.h"
#include "studio/config/DeviceKind.h"
#include "studio/config/ParseReal.h"
#include "studio/config/RegisterMaps.h"
#include "studio/config/SettingsStore.h"
#include "studio/config/TessaryDocument.h"
#include "studio/board/CRegisterBus.h"
#include "studio/board/CRegisterViewModel.h"
#include "studio/board/LockPoll.h"
#include "studio/reports/ReportFile.h"
#include "studio/board/LptlinkSeams.h"
#include "lptlink/lptlink.h"
#include "studio/config/CConfigViewKX6500.h"
#include "studio/reports/ReportsKX6200.h"
#include "studio/reports/ReportsKX6500.h"

namespace tessary {

namespace {

using nlohmann::ordered_json;

// One device's form as the command line drives it.
class CalcForm {
public:
    virtual ~CalcForm() = default;
    virtual const std::vector<ControlSpec>& Controls() const = 0;
    virtual FormControls& ControlState() = 0;
    virtual void FirstDisplay() = 0;
    virtual bool PressEnter() = 0;
    virtual ordered_json Slots() const = 0;
    virtual std::vector<ComponentText> Components() const = 0;
    virtual double Current() const = 0;
    virtual FieldValues ConfigFields() const = 0;
    // Whether a field is part of the document (the estimator controls are the form's own).
    virtual bool InConfig(FieldId id) const = 0;
    virtual bool Report(const std::string& kind, const std::string& path, std::string& error) = 0;
    // Address, name and value of each register, in download order.
    virtual std::vector<std::tuple<int, std::string, int>> Registers() const = 0;

    // The form's buttons and the main frame's lock poll.
    virtual bool UpdateDevice() = 0;  // false: stopped by the direction check
    virtual void ChipReset() = 0;
    virtual void Calibrate() = 0;
    // Reads back every register the device's register view reads.
    virtual std::vector<std::pair<int, int>> ReadBack() = 0;
    virtual std::string Lock() = 0;
    // The virtual chip's register file: JSON key and address (frame index).
    virtual std::vector<std::pair<std::string, int>> BoardRegisters() const = 0;
    // A fresh register view of the device on the document's registers.
    virtual std::unique_ptr<CRegisterViewModel> MakeRegisterView(MessageSink& messages) const = 0;
};

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// The KX6200/KX6300 chips' register map.
std::vector<int> ThreeWireAddresses() {
    std::vector<int> addresses;
    for (int a = 0x00; a <= 0x14; ++a) addresses.push_back(a);
    addresses.push_back(0x1C);
    for (int a = 0x40; a <= 0x46; ++a) addresses.push_back(a);
    return addresses;
}

// What differs between the two forms of the shared block on the command line.
struct SharedBlockDevice {
    const RegisterViewTable& (*view)();
    bool boardBus;                       // the KX6500 board bus instead of the three-wire bus
    std::vector<int> readBack;           // what the register view reads back
    std::vector<int> chipRegisters;      // the virtual chip's register file
    std::vector<std::tuple<int, std::string, int>> (*registers)(const CRegister&);
    bool (*printSettings)(SharedBlockForm&, const std::string&, std::string&);
    bool (*printRegisters)(SharedBlockForm&, const std::string&, std::string&);
};

std::vector<int> Range(int first, int last) {
    std::vector<int> r;
    for (int a = first; a <= last; ++a) r.push_back(a);
    return r;
}

const SharedBlockDevice& KX6200Device() {
    static const SharedBlockDevice device = {
        &KX6200ViewTable, false, ThreeWireAddresses(), ThreeWireAddresses(),
        [](const CRegister& reg) {
            std::vector<std::tuple<int, std::string, int>> rows;
            for (const auto& r : kKX6200Registers) rows.emplace_back(r.address, std::string(r.name), reg.GetReg(r.slot));
            return rows;
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintSettingsKX6200(static_cast<CConfigViewKX6200&>(f), path, error);
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintRegistersKX6200(static_cast<CConfigViewKX6200&>(f), path, error);
        }};
    return device;
}

const SharedBlockDevice& KX6500Device() {
    static const SharedBlockDevice device = {
        &KX6500ViewTable, true,
        [] {
            std::vector<int> a = {0xC8};
            for (int x : {0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD9, 0xDA, 0xDB, 0xDC, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5,
                          0xE6, 0xEA, 0xEB, 0xEC, 0xEE, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0xB4, 0xB5, 0xB6})
                a.push_back(x);
            return a;
        }(),
        Range(0x80, 0xFF),
        [](const CRegister& reg) {
            std::vector<std::tuple<int, std::string, int>> rows;
            // The download order without its opening RFMAIN := 30h.
            const auto& order = KX6500DownloadOrder();
            for (auto w = order.begin() + 1; w != order.end(); ++w)
                rows.emplace_back(w->address, std::string(KX6500RegisterName(w->address)),
                                  w->slot >= 0 ? reg.GetReg(w->slot) : w->fixed);
            return rows;
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintSettingsKX6500(static_cast<CConfigViewKX6500&>(f), path, error);
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintRegistersKX6500(static_cast<CConfigViewKX6500&>(f), path, error);
        }};
    return device;
}

template <typename Form>
class SharedBlockCalcForm : public CalcForm {
public:
    SharedBlockCalcForm(TessaryDocument& document, MessageSink& messages, const SharedBlockDevice& device)
        : form_(document, messages), device_(device) {}
    const std::vector<ControlSpec>& Controls() const override { return form_.Controls(); }
    FormControls& ControlState() override { return form_.controls; }
    void FirstDisplay() override { form_.OnInitialUpdate(); }
    bool PressEnter() override { return form_.ApplySettings(); }
    ordered_json Slots() const override {
        ordered_json slots = ordered_json::array();
        for (int i = 0; i < kPrimarySlots; ++i) slots.push_back(form_.Document().registers.GetReg(i));
        return slots;
    }
    std::vector<ComponentText> Components() const override { return form_.Components(); }
    double Current() const override { return form_.Current(); }
    FieldValues ConfigFields() const override {
        FieldValues fields;
        SharedBlockForm::Binding().ToFields(form_.Document().config.kx6200, fields);
        return fields;
    }
    bool InConfig(FieldId id) const override {
        for (const auto& [field, member] : SharedBlockForm::Binding().numbers)
            if (field == id) return true;
        for (const auto& [field, member] : SharedBlockForm::Binding().indices)
            if (field == id) return true;
        return false;
    }
    bool Report(const std::string& kind, const std::string& path, std::string& error) override {
        return kind == "settings" ? device_.printSettings(form_, path, error) : device_.printRegisters(form_, path, error);
    }
    std::vector<std::tuple<int, std::string, int>> Registers() const override {
        return device_.registers(form_.Document().registers);
    }
    bool UpdateDevice() override { return form_.UpdateDevice(); }
    void ChipReset() override { form_.OnChipReset(); }
    void Calibrate() override { form_.OnCalibrate(); }
    std::vector<std::pair<int, int>> ReadBack() override {
        std::vector<std::pair<int, int>> values;
        for (int a : device_.readBack) {
            const auto address = static_cast<std::uint8_t>(a);
            values.emplace_back(a, device_.boardBus ? bus_.ReadRegisterKX6500(address) : bus_.ReadRegister(address));
        }
        return values;
    }
    std::string Lock() override { return PollLock(device_.boardBus, form_.Document().config, bus_); }
    std::vector<std::pair<std::string, int>> BoardRegisters() const override {
        std::vector<std::pair<std::string, int>> keys;
        for (int a : device_.chipRegisters) keys.emplace_back(Hex2(a), a);
        return keys;
    }
    std::unique_ptr<CRegisterViewModel> MakeRegisterView(MessageSink& messages) const override {
        return std::make_unique<CRegisterViewModel>(device_.view(), form_.Document().registers, messages);
    }

private:
    Form form_;
    const SharedBlockDevice& device_;
    CRegisterBus bus_;
};

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

bool HasForm(DeviceKind device) { return device == DeviceKind::KX6200 || device == DeviceKind::KX6500; }

std::unique_ptr<CalcForm> MakeForm(DeviceKind device, TessaryDocument& document, MessageSink& messages) {
    switch (device) {
        case DeviceKind::KX6200:
            return std::make_unique<SharedBlockCalcForm<CConfigViewKX6200>>(document, messages, KX6200Device());
        case DeviceKind::KX6500:
            return std::make_unique<SharedBlockCalcForm<CConfigViewKX6500>>(document, messages, KX6500Device());
        default: return nullptr;
    }
}

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
    return config;
}

void PrintListing(const CalcForm& form, DeviceKind device, const std::vector<std::string>& messages,
                  std::ostream& out) {
    out << "Device: " << DeviceName(device) << "\n\nRegisters (download order):\n";
    for (const auto& [address, name, value] : form.Registers()) {
        char line[64];
        std::snprintf(line, sizeof line, "  %02Xh  %-10s %02X\n", address, name.c_str(), value & 0xFF);
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
BoardResults RunViewOperations(const CalcOptions& options, CalcForm& form, CRegisterViewModel& view) {
    BoardResults results;
    if (options.download) view.UpdateDevice();
    if (options.chipReset) view.Reset();
    if (options.calibrate) view.Calibrate();
    if (options.readBack) results.listing = view.ReadBack();
    if (options.lock) results.lock = form.Lock();
    return results;
}

BoardResults RunBoardOperations(const CalcOptions& options, CalcForm& form, RecordingMessageSink& messages,
                                std::size_t& firstMessage, std::ostream& err, CRegisterViewModel* view = nullptr) {
    if (view) return RunViewOperations(options, form, *view);
    BoardResults results;
    if (options.download) {
        firstMessage = messages.shown.size();  // the download applies the form again
        results.stoppedByDirection = !form.UpdateDevice();
        if (results.stoppedByDirection) err << "tessary-calc: " << OneLine(messages.shown.back().text) << "\n";
    }
    if (options.chipReset) form.ChipReset();
    if (options.calibrate) form.Calibrate();
    if (options.readBack) results.readBack = form.ReadBack();
    if (options.lock) results.lock = form.Lock();
    return results;
}

}  // namespace

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

    if (!HasForm(*device)) {
        err << "tessary-calc: the " << DeviceName(*device) << " form is not available yet\n";
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
    auto form = MakeForm(*device, document, messages);

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
        err << messages.shown.back().text << "\n";
        // As in the studio, the board operations go on with the last completed
        // calculation; nothing is written and nothing printed.
        RunBoardOperations(options, *form, messages, firstMessage, err);
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

    std::unique_ptr<CRegisterViewModel> view;
    if (options.eepSave) {
        const auto fresh = form->MakeRegisterView(messages);
        std::string error;
        if (!WriteReportFile(*options.eepSave, fresh->EepText(), error)) {
            err << "tessary-calc: " << error << "\n";
            return kExitUsage;
        }
    }
    if (options.eepLoad) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        view = form->MakeRegisterView(messages);
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
        if (view) j["register_view"] = view->WorkingCopy();
        if (options.lock) j["lock"] = results.lock;
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
