// The KX400 and KX900 on the command line: the frame bus, frames A to H, the register
// view on the document's frames, the lock pin.

#include "studio/board/CRegisterViewModel.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CConfigView.h"
#include "studio/reports/ReportsKX400.h"
#include "tools/tessary-calc/CalcForm.h"

namespace tessary {

namespace {

constexpr const char* kLetters[kFrameCount] = {"A", "B", "C", "D", "E", "F", "G", "H"};

// The frame register view edits the document's frames themselves.
class FrameRegisterView : public CalcRegisterView {
public:
    FrameRegisterView(TessaryDocument& document, MessageSink& messages) : document_(document), view_(document, messages) {
        view_.ShowFromRegisters();
    }
    std::string EepText() const override { return view_.EepText(); }
    bool LoadEep(std::span<const std::uint8_t> bytes) override { return view_.LoadEep(bytes); }
    void UpdateDevice() override { view_.UpdateDevice(); }
    // The run refuses these before anything happens: the frame view has no such buttons.
    void Reset() override {}
    void Calibrate() override {}
    std::string ReadBack() override { return {}; }
    std::vector<int> Contents() const override {
        std::vector<int> frames;
        for (int i = 0; i < kFrameCount; ++i) frames.push_back(document_.registers.GetFrame(i));
        return frames;
    }

private:
    TessaryDocument& document_;
    CRegisterView view_;
};

class CalcFormKX400 : public CalcForm {
public:
    CalcFormKX400(TessaryDocument& document, MessageSink& messages) : document_(document), form_(document, messages) {}

    const std::vector<ControlSpec>& Controls() const override { return CConfigView::ControlTable(); }
    FormControls& ControlState() override { return form_.controls; }
    void FirstDisplay() override { form_.OnInitialUpdate(); }
    bool PressEnter() override { return form_.OnEnter(); }
    nlohmann::ordered_json Slots() const override {
        nlohmann::ordered_json frames = nlohmann::ordered_json::array();
        for (int i = 0; i < kFrameCount; ++i) frames.push_back(form_.Document().registers.GetFrame(i));
        return frames;
    }
    std::vector<ComponentText> Components() const override { return form_.Components(); }
    double Current() const override { return form_.Current(); }
    FieldValues ConfigFields() const override {
        FieldValues fields;
        CConfigView::Binding().ToFields(form_.Document().config.kx400, fields);
        return fields;
    }
    bool InConfig(FieldId) const override { return true; }
    void AddConfig(nlohmann::ordered_json& config) const override {
        config["device_number"] = form_.Document().config.kx400.deviceNumber;
    }
    bool Report(const std::string& kind, const std::string& path, std::string& error) override {
        return kind == "settings" ? PrintSettingsKX400(form_, path, error) : PrintRegistersKX400(form_, path, error);
    }
    std::vector<std::tuple<int, std::string, int>> Registers() const override {
        std::vector<std::tuple<int, std::string, int>> rows;
        for (int i = 0; i < kFrameCount; ++i)
            rows.emplace_back(i, std::string("Frame ") + kLetters[i], form_.Document().registers.GetFrame(i));
        return rows;
    }
    int RegisterDigits() const override { return 4; }
    bool UpdateDevice() override { return form_.UpdateDevice(); }
    // The chips have no reset, calibration or read-back; the run refuses the options.
    void ChipReset() override {}
    void Calibrate() override {}
    std::vector<std::pair<int, int>> ReadBack() override { return {}; }
    std::string Lock() override { return PollLock(false, form_.Document().config, bus_); }
    std::vector<std::pair<std::string, int>> BoardRegisters() const override {
        std::vector<std::pair<std::string, int>> keys;
        for (int i = 0; i < kFrameCount; ++i) keys.emplace_back(kLetters[i], i);
        return keys;
    }
    // Not table-driven: the view works on the document's frames.
    std::unique_ptr<CRegisterViewModel> MakeRegisterView(MessageSink&) const override { return nullptr; }
    std::unique_ptr<CalcRegisterView> MakeCalcRegisterView(MessageSink& messages) const override {
        return std::make_unique<FrameRegisterView>(document_, messages);
    }

private:
    TessaryDocument& document_;
    CConfigView form_;
    CRegisterBus bus_;
};

}  // namespace

std::unique_ptr<CalcForm> MakeCalcFormKX400(TessaryDocument& document, MessageSink& messages) {
    return std::make_unique<CalcFormKX400>(document, messages);
}

}  // namespace tessary
