#pragma once
// The window of the KX6200 and KX6500 forms: controls built from the form's control
// table, copied in before every trigger and out after it. All the work is the model's.

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <map>

#include "studio/app/FormWindow.h"
#include "studio/config/SharedBlockForm.h"

namespace tessary {

class ConfigFormWindow : public FormWindow {
    Q_OBJECT
public:
    // kx6500: the estimator fields in "Build in test" and "&HW Reset" for "&Reset".
    ConfigFormWindow(SharedBlockForm& model, bool kx6500, QWidget* parent = nullptr);

    SharedBlockForm& Model() { return model_; }
    ConfigurationForm& Form() override { return model_; }

    // Where a parameter sits on the form: label, unit, Info button (-1: none).
    struct Placement {
        FieldId id;
        const char* label;
        const char* unit;
        int info;
    };
    void Refresh() override { CopyOut(); }
    void RunOperation(const std::function<void()>& operation) override { Run(operation); }
    QWidget* Control(FieldId id) const;
    QLineEdit* ComponentField(const std::string& name) const;
    QPushButton* InfoButton(int index) const;

    // Runs a model operation the way a trigger does: controls in, operation, controls out.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void AddControls(const std::vector<Placement>& placements, QWidget* parent, QGridLayout* grid, int& row);
    void BuildComponentsAndTest(QVBoxLayout* outer);
    void CopyIn();
    void CopyOut();
    void FocusRefusedField();

    SharedBlockForm& model_;
    bool kx6500_;
    std::map<FieldId, QWidget*> controls_;
    std::map<FieldId, QButtonGroup*> radios_;
    std::map<std::string, QLineEdit*> components_;
    std::vector<QPushButton*> infoButtons_;
    QComboBox* crystal_ = nullptr;
    QLineEdit* accuracy_ = nullptr;
    bool busy_ = false;
};

}  // namespace tessary
