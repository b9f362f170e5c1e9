// The KX6300 on the command line: its own block of CConfig, the secondary register
// image, the three-wire bus and the 25 registers its register view reads.

#include "studio/board/CRegisterBus.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CConfigView_KX6300.h"
#include "studio/reports/ReportsKX6300.h"
#include "tools/tessary-calc/CalcForm.h"

namespace tessary {

namespace {

// What the KX6300 register view reads back and what the chip's register file shows.
const std::vector<int>& ViewAddresses() {
    static const std::vector<int> addresses = [] {
        std::vector<int> a;
        for (int x = 0x00; x <= 0x0E; ++x) a.push_back(x);
        for (int x : {0x11, 0x13, 0x1C}) a.push_back(x);
        for (int x = 0x40; x <= 0x46; ++x) a.push_back(x);
        return a;
    }();
    return addresses;
}

class KX6300CalcForm : public CalcForm {
public:
    KX6300CalcForm(TessaryDocument& document, MessageSink& messages) : form_(document, messages) {}

    const std::vector<ControlSpec>& Controls() const override { return form_.Controls(); }
    FormControls& ControlState() override { return form_.controls; }
    void FirstDisplay() override { form_.OnInitialUpdate(); }
    bool PressEnter() override { return form_.ApplySettings(); }
    nlohmann::ordered_json Slots() const override {
        nlohmann::ordered_json slots = nlohmann::ordered_json::array();
        for (int i = 0; i < kSecondarySlots; ++i) slots.push_back(form_.Document().registers.GetReg6300(i));
        return slots;
    }
    std::vector<ComponentText> Components() const override { return form_.Components(); }
    double Current() const override { return form_.Current(); }
    FieldValues ConfigFields() const override {
        FieldValues fields;
        CConfigView_KX6300::Binding().ToFields(form_.Document().config.kx6300, fields);
        return fields;
    }
    bool InConfig(FieldId) const override { return true; }  // every control is the document's
    bool Report(const std::string& kind, const std::string& path, std::string& error) override {
        return kind == "settings" ? PrintSettingsKX6300(form_, path, error) : PrintRegistersKX6300(form_, path, error);
    }
    std::vector<std::tuple<int, std::string, int>> Registers() const override {
        std::vector<std::tuple<int, std::string, int>> rows;
        for (const KX6300Register& r : KX6300DownloadOrder())
            rows.emplace_back(r.address, std::string(r.name), form_.Document().registers.GetReg6300(r.slot));
        return rows;
    }
    bool UpdateDevice() override { return form_.UpdateDevice(); }
    void ChipReset() override { form_.OnChipReset(); }
    void Calibrate() override { form_.OnCalibrate(); }
    std::vector<std::pair<int, int>> ReadBack() override {
        std::vector<std::pair<int, int>> values;
        for (int a : ViewAddresses()) values.emplace_back(a, bus_.ReadRegister(static_cast<std::uint8_t>(a)));
        return values;
    }
    std::string Lock() override { return PollLock(false, form_.Document().config, bus_); }
    std::vector<std::pair<std::string, int>> BoardRegisters() const override {
        std::vector<std::pair<std::string, int>> keys;
        for (int a : ViewAddresses()) keys.emplace_back(Hex2(a), a);
        return keys;
    }
    std::unique_ptr<CRegisterViewModel> MakeRegisterView(MessageSink& messages) const override {
        return std::make_unique<CRegisterView_KX6300>(form_.Document().registers, messages);
    }

private:
    CConfigView_KX6300 form_;
    CRegisterBus bus_;
};

}  // namespace

std::unique_ptr<CalcForm> MakeCalcFormKX6300(TessaryDocument& document, MessageSink& messages) {
    return std::make_unique<KX6300CalcForm>(document, messages);
}

}  // namespace tessary
