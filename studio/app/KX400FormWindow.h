#pragma once
// The window of the KX400/KX900 form (CConfigView): the six numeric fields and six
// lists of the system parameters, the component values, the Info buttons and "Update
// device". Controls are copied into the model before every trigger and out after it.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <string>
#include <vector>

#include "studio/app/FormWindow.h"
#include "studio/config/CConfigView.h"

namespace tessary {

class KX400FormWindow : public FormWindow {
    Q_OBJECT
public:
    explicit KX400FormWindow(CConfigView& model, QWidget* parent = nullptr);

    CConfigView& Model() { return model_; }
    ConfigurationForm& Form() override { return model_; }
    void Refresh() override { CopyOut(); }
    void RunOperation(const std::function<void()>& operation) override { Run(operation); }

    QWidget* Control(FieldId id) const;
    QLineEdit* ComponentField(const std::string& name) const;
    // Info buttons in topic order (0 to 13).
    QPushButton* InfoButton(int index) const;

    template <typename F>
    void Run(F&& operation) {
        if (busy_) return;
        busy_ = true;
        CopyIn();
        operation();
        CopyOut();
        busy_ = false;
        FocusRefusedField();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CopyIn();
    void CopyOut();
    void FocusRefusedField();
    QPushButton* MakeInfo(int index, QWidget* parent);

    CConfigView& model_;
    std::map<FieldId, QWidget*> controls_;
    std::map<std::string, QLineEdit*> components_;
    std::vector<QPushButton*> infoButtons_;
    bool busy_ = false;
};

}  // namespace tessary
