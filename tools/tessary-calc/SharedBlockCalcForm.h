#pragma once
// The command-line adapter of the two forms on the shared KX6200/KX6500 block; each
// device's file gives it the few things that differ (SharedBlockDevice).

#include "studio/board/CRegisterBus.h"
#include "studio/board/LockPoll.h"
#include "studio/config/CRegister.h"
#include "tools/tessary-calc/CalcForm.h"

namespace tessary {

struct SharedBlockDevice {
    const RegisterViewTable& (*view)();
    bool boardBus;                       // the KX6500 board bus instead of the three-wire bus
    std::vector<int> readBack;           // what the register view reads back
    std::vector<int> chipRegisters;      // the virtual chip's register file
    std::vector<std::tuple<int, std::string, int>> (*registers)(const CRegister&);
    bool (*printSettings)(SharedBlockForm&, const std::string&, std::string&);
    bool (*printRegisters)(SharedBlockForm&, const std::string&, std::string&);
};

template <typename Form>
class SharedBlockCalcForm : public CalcForm {
public:
    SharedBlockCalcForm(TessaryDocument& document, MessageSink& messages, const SharedBlockDevice& device)
        : form_(document, messages), device_(device) {}
    const std::vector<ControlSpec>& Controls() const override { return form_.Controls(); }
    FormControls& ControlState() override { return form_.controls; }
    void FirstDisplay() override { form_.OnInitialUpdate(); }
    bool PressEnter() override { return form_.ApplySettings(); }
    nlohmann::ordered_json Slots() const override {
        nlohmann::ordered_json slots = nlohmann::ordered_json::array();
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

}  // namespace tessary
