// The table-driven register view of the three newer chips as the command line drives it.

#include "tools/tessary-calc/CalcForm.h"

namespace tessary {

namespace {

class TableRegisterView : public CalcRegisterView {
public:
    explicit TableRegisterView(std::unique_ptr<CRegisterViewModel> view) : view_(std::move(view)) {}
    std::string EepText() const override { return view_->EepText(); }
    bool LoadEep(std::span<const std::uint8_t> bytes) override { return view_->LoadEep(bytes); }
    void UpdateDevice() override { view_->UpdateDevice(); }
    void Reset() override { view_->Reset(); }
    void Calibrate() override { view_->Calibrate(); }
    std::string ReadBack() override { return view_->ReadBack(); }
    std::vector<int> Contents() const override { return view_->WorkingCopy(); }

private:
    std::unique_ptr<CRegisterViewModel> view_;
};

}  // namespace

std::unique_ptr<CalcRegisterView> CalcForm::MakeCalcRegisterView(MessageSink& messages) const {
    return std::make_unique<TableRegisterView>(MakeRegisterView(messages));
}

}  // namespace tessary
