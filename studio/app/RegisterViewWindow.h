#pragma once
// The window of a transceiver register view: a hex field per register and the named
// controls of the register bits, bound to CRegisterViewModel.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <memory>
#include <vector>

#include "studio/app/RegisterPane.h"
#include "studio/board/CRegisterViewModel.h"

namespace tessary {

class RegisterViewWindow : public RegisterPane {
    Q_OBJECT
public:
    RegisterViewWindow(std::unique_ptr<CRegisterViewModel> model, QWidget* parent = nullptr);

    CRegisterViewModel& Model() { return *model_; }
    QLineEdit* HexField(int entry) const { return hex_[static_cast<std::size_t>(entry)]; }
    QWidget* FieldControl(int field) const { return fields_[static_cast<std::size_t>(field)]; }
    void Refresh() override { CopyOut(); }
    void UpdateDevice() override { Run([this] { model_->UpdateDevice(); }); }
    std::string EepText() const override { return model_->EepText(); }
    void LoadEep(std::span<const std::uint8_t> bytes) override { model_->LoadEep(bytes); }

    template <typename F>
    void Run(F&& operation) {
        if (busy_) return;
        busy_ = true;
        CopyIn();
        operation();
        CopyOut();
        busy_ = false;
        if (const auto focus = model_->FocusField()) fields_[static_cast<std::size_t>(*focus)]->setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CopyIn();
    void CopyOut();

    std::unique_ptr<CRegisterViewModel> model_;
    std::vector<QLineEdit*> hex_;
    std::vector<QWidget*> fields_;
    bool busy_ = false;
};

}  // namespace tessary
