#pragma once
// The window of a configuration form: controls built from the form's control table
// and placed by a layout, copied in before every trigger and out after it. All the
// work is the model's.

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <map>

#include "studio/app/FormWindow.h"
#include "studio/config/ControlTableForm.h"
#include "studio/config/SharedBlockForm.h"

namespace tessary {

class ConfigFormWindow : public FormWindow {
    Q_OBJECT
public:
    // Where a parameter sits on the form: label, unit, Info button (-1: none).
    struct Placement {
        FieldId id;
        const char* label;
        const char* unit;
        int info;
    };
    // Where a form's controls go and which Info button each group has. Controls the
    // form's table does not have are left out.
    struct Layout {
        std::vector<Placement> parameters;  // "System parameters", in this order
        std::vector<int> componentInfo;     // the Info button of each component row (-1: none)
        const char* buttonsTitle;           // the group of the chip buttons
        std::vector<Placement> test;        // controls of that group
        bool estimatorFields;               // "error bits" and "BER"
        int testInfo;                       // -1: none
        const char* resetCaption;
        bool readButton;                    // a disabled "Read"
        int infoCount;
    };
    // The KX6200's and the KX6500's (estimator fields and "&HW Reset").
    static const Layout& SharedBlockLayout(bool kx6500);

    ConfigFormWindow(ControlTableForm& model, const Layout& layout, QWidget* parent = nullptr);
    ConfigFormWindow(SharedBlockForm& model, bool kx6500, QWidget* parent = nullptr)
        : ConfigFormWindow(model, SharedBlockLayout(kx6500), parent) {}

    ControlTableForm& Model() { return model_; }
    ConfigurationForm& Form() override { return model_; }

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

    ControlTableForm& model_;
    const Layout& layout_;
    std::map<FieldId, QWidget*> controls_;
    std::map<FieldId, QButtonGroup*> radios_;
    std::map<std::string, QLineEdit*> components_;
    std::vector<QPushButton*> infoButtons_;
    QComboBox* crystal_ = nullptr;
    QLineEdit* accuracy_ = nullptr;
    bool busy_ = false;
};

}  // namespace tessary
