#pragma once
// The KX6200 form's window: controls built from the form's control table, copied in
// before every trigger and out after it. All the work is the model's.

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <map>

#include "studio/config/CConfigViewKX6200.h"

namespace tessary {

class KX6200FormWindow : public QWidget {
    Q_OBJECT
public:
    KX6200FormWindow(CConfigViewKX6200& model, QWidget* parent = nullptr);

    CConfigViewKX6200& Model() { return model_; }
    // Shows the model's state (after the document changed outside the window).
    void Refresh() { CopyOut(); }
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

signals:
    void Changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void CopyIn();
    void CopyOut();
    void FocusRefusedField();

    CConfigViewKX6200& model_;
    std::map<FieldId, QWidget*> controls_;
    std::map<FieldId, QButtonGroup*> radios_;
    std::map<std::string, QLineEdit*> components_;
    std::vector<QPushButton*> infoButtons_;
    QComboBox* crystal_ = nullptr;
    QLineEdit* accuracy_ = nullptr;
    bool busy_ = false;
};

}  // namespace tessary
