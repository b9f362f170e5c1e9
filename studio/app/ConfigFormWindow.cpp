#include "studio/app/ConfigFormWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "studio/app/QtSeams.h"

namespace tessary {

using F = FieldId;

namespace {

using Placement = ConfigFormWindow::Placement;

const std::vector<Placement>& SharedBlockPlacements() {
    static const std::vector<Placement> rows = {
        {F::Xtal, "Crystal frequency", "MHz", 0},  {F::Ppm, "Crystal accuracy", "ppm", 1},
        {F::Xosc, "Crystal source", "", -1},       {F::RfA, "RF frequency A", "MHz", 2},
        {F::DirA, "Frequency A", "", -1},          {F::RfB, "RF frequency B", "MHz", -1},
        {F::DirB, "Frequency B", "", -1},          {F::Active, "Active frequency", "", -1},
        {F::Optimal, "", "", -1},                  {F::LowLo, "", "", -1},
        {F::Sep, "Frequency separation", "kHz", 3}, {F::Rate, "Data rate", "kBaud", 4},
        {F::Format, "Data format", "", 5},         {F::Settling, "Averaging filter", "", -1},
        {F::Power, "RF output power", "dBm", 6},   {F::RxMode, "RX mode", "", 7},
        {F::Shape, "Modulation shaping", "", 8},   {F::Lock, "Lock indicator", "", 9},
        {F::IfRssi, "IF / RSSI", "", 10},          {F::Mode, "Mode", "", 11},
        {F::LowCurrent, "", "", -1},
    };
    return rows;
}

QPushButton* MakeInfo(QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("Info"), parent);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

const ConfigFormWindow::Layout& ConfigFormWindow::SharedBlockLayout(bool kx6500) {
    static const Layout kx6200Layout = {SharedBlockPlacements(), {12, 13}, "Build in test", {}, false, 14, "&Reset",
                                        true, 15};
    // The estimator's controls in "Build in test".
    static const Layout kx6500Layout = {SharedBlockPlacements(),
                                        {12, 13},
                                        "Build in test",
                                        {{F::BerEnable, "", "", -1}, {F::BerWindow, "BERWIN", "", -1},
                                         {F::SigType, "SIGTYPE", "", -1}},
                                        true,
                                        14,
                                        "&HW Reset",
                                        false,
                                        15};
    return kx6500 ? kx6500Layout : kx6200Layout;
}

ConfigFormWindow::ConfigFormWindow(ControlTableForm& model, const Layout& layout, QWidget* parent)
    : FormWindow(parent), model_(model), layout_(layout) {
    Build();
    CopyOut();
}

void ConfigFormWindow::Build() {
    auto* outer = new QVBoxLayout(this);
    auto* parameters = new QGroupBox(QStringLiteral("System parameters"), this);
    auto* grid = new QGridLayout(parameters);
    infoButtons_.resize(static_cast<std::size_t>(layout_.infoCount), nullptr);
    int row = 0;
    AddControls(layout_.parameters, parameters, grid, row);
    outer->addWidget(parameters);
    BuildComponentsAndTest(outer);
}

void ConfigFormWindow::AddControls(const std::vector<Placement>& placements, QWidget* parameters, QGridLayout* grid,
                                   int& row) {
    for (const Placement& place : placements) {
        const ControlSpec* parameter = nullptr;
        for (const auto& c : model_.Controls())
            if (c.id == place.id) parameter = &c;
        if (!parameter) continue;
        QWidget* control = nullptr;
        switch (parameter->kind) {
            case ControlKind::Text: {
                // Enter reaches the form itself (a line edit passes it on): one apply per key.
                auto* edit = new QLineEdit(parameters);
                if (parameter->id == F::Ppm) {
                    accuracy_ = edit;
                    edit->installEventFilter(this);
                }
                control = edit;
                break;
            }
            case ControlKind::EditableList: {
                auto* combo = new QComboBox(parameters);
                combo->setEditable(true);
                for (auto entry : model_.Crystals()) combo->addItem(Q(entry));
                combo->installEventFilter(this);
                crystal_ = combo;
                control = combo;
                break;
            }
            case ControlKind::List: {
                auto* combo = new QComboBox(parameters);
                for (auto entry : parameter->entries) combo->addItem(Q(entry));
                const FieldId id = parameter->id;
                connect(combo, &QComboBox::activated, this, [this, id] { Run([this, id] { model_.OnChoiceChanged(id); }); });
                control = combo;
                break;
            }
            case ControlKind::Radio: {
                auto* box = new QWidget(parameters);
                auto* layout = new QHBoxLayout(box);
                layout->setContentsMargins(0, 0, 0, 0);
                auto* group = new QButtonGroup(box);
                int index = 0;
                for (auto entry : parameter->entries) {
                    auto* button = new QRadioButton(Q(entry), box);
                    group->addButton(button, index++);
                    layout->addWidget(button);
                }
                const FieldId id = parameter->id;
                connect(group, &QButtonGroup::idClicked, this,
                        [this, id] { Run([this, id] { model_.OnChoiceChanged(id); }); });
                radios_[id] = group;
                control = box;
                break;
            }
            case ControlKind::Check: {
                auto* check = new QCheckBox(Q(parameter->entries.front()), parameters);
                const FieldId id = parameter->id;
                connect(check, &QCheckBox::clicked, this, [this, id] { Run([this, id] { model_.OnCheckClicked(id); }); });
                control = check;
                break;
            }
        }
        control->setObjectName(Q(parameter->name));
        controls_[parameter->id] = control;
        auto* label = new QLabel(QString::fromUtf8(place.label), parameters);
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(place.unit), parameters), row, 2);
        if (place.info >= 0) {
            QPushButton* info = MakeInfo(parameters);
            const int index = place.info;
            connect(info, &QPushButton::clicked, this, [this, index] { model_.OnInfo(index); });
            infoButtons_[static_cast<std::size_t>(index)] = info;
            grid->addWidget(info, row, 3);
            // The shaping help stays hidden on every form.
            if (parameter->hidden || parameter->id == F::Shape) info->hide();
        }
        if (parameter->hidden) {
            control->hide();
            label->hide();
        }
        ++row;
    }
}

void ConfigFormWindow::BuildComponentsAndTest(QVBoxLayout* outer) {
    auto* components = new QGroupBox(QStringLiteral("Component values"), this);
    auto* cgrid = new QGridLayout(components);
    int crow = 0;
    for (const auto& c : model_.Components()) {
        auto* field = new QLineEdit(components);
        field->setReadOnly(true);
        field->setObjectName(Q(c.name));
        components_[c.name] = field;
        cgrid->addWidget(new QLabel(Q(c.name), components), crow, 0);
        cgrid->addWidget(field, crow, 1);
        cgrid->addWidget(new QLabel(Q(c.unit), components), crow, 2);
        const int index = crow < static_cast<int>(layout_.componentInfo.size())
                              ? layout_.componentInfo[static_cast<std::size_t>(crow)]
                              : -1;
        if (index >= 0) {
            QPushButton* info = MakeInfo(components);
            connect(info, &QPushButton::clicked, this, [this, index] { model_.OnInfo(index); });
            infoButtons_[static_cast<std::size_t>(index)] = info;
            cgrid->addWidget(info, crow, 3);
        }
        ++crow;
    }
    outer->addWidget(components);

    auto* test = new QGroupBox(QString::fromUtf8(layout_.buttonsTitle), this);
    auto* tvertical = new QVBoxLayout(test);
    if (!layout_.test.empty() || layout_.estimatorFields) {
        auto* tgrid = new QGridLayout;
        int trow = 0;
        AddControls(layout_.test, test, tgrid, trow);
        for (const char* name : {"error bits", "BER"}) {
            if (!layout_.estimatorFields) break;
            auto* field = new QLineEdit(test);
            field->setReadOnly(true);
            field->setObjectName(QString::fromUtf8(name));
            tgrid->addWidget(new QLabel(QString::fromUtf8(name), test), trow, 0);
            tgrid->addWidget(field, trow, 1);
            if (std::string_view(name) == "BER") tgrid->addWidget(new QLabel(QStringLiteral("[10E-3]"), test), trow, 2);
            ++trow;
        }
        tvertical->addLayout(tgrid);
    }
    auto* tlayout = new QHBoxLayout;
    tvertical->addLayout(tlayout);
    if (layout_.testInfo >= 0) {
        QPushButton* testInfo = MakeInfo(test);
        const int index = layout_.testInfo;
        connect(testInfo, &QPushButton::clicked, this, [this, index] { model_.OnInfo(index); });
        infoButtons_[static_cast<std::size_t>(index)] = testInfo;
        tlayout->addWidget(testInfo);
    }
    tlayout->addStretch();
    auto* calibrate = new QPushButton(QStringLiteral("&Calibrate"), test);
    auto* reset = new QPushButton(QString::fromUtf8(layout_.resetCaption), test);
    std::vector<QPushButton*> buttons = {calibrate, reset};
    if (layout_.readButton) {
        auto* read = new QPushButton(QStringLiteral("Read"), test);
        read->setEnabled(false);
        buttons.push_back(read);
    }
    for (QPushButton* b : buttons) {
        b->setAutoDefault(false);
        tlayout->addWidget(b);
    }
    connect(calibrate, &QPushButton::clicked, this, [this] { Run([this] { model_.OnCalibrate(); }); });
    connect(reset, &QPushButton::clicked, this, [this] { Run([this] { model_.OnChipReset(); }); });
    outer->addWidget(test);
    outer->addStretch();
}

QWidget* ConfigFormWindow::Control(FieldId id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QLineEdit* ConfigFormWindow::ComponentField(const std::string& name) const {
    const auto it = components_.find(name);
    return it == components_.end() ? nullptr : it->second;
}

QPushButton* ConfigFormWindow::InfoButton(int index) const {
    return index >= 0 && index < static_cast<int>(infoButtons_.size()) ? infoButtons_[static_cast<std::size_t>(index)]
                                                                       : nullptr;
}

void ConfigFormWindow::CopyIn() {
    FormControls& c = model_.controls;
    for (const auto& parameter : model_.Controls()) {
        const std::size_t i = Index(parameter.id);
        QWidget* w = Control(parameter.id);
        if (!w) continue;  // a control the layout does not place
        switch (parameter.kind) {
            case ControlKind::Text: c.text[i] = static_cast<QLineEdit*>(w)->text().toStdString(); break;
            case ControlKind::EditableList: c.text[i] = static_cast<QComboBox*>(w)->currentText().toStdString(); break;
            case ControlKind::List: c.selection[i] = static_cast<QComboBox*>(w)->currentIndex(); break;
            case ControlKind::Radio: c.selection[i] = radios_[parameter.id]->checkedId(); break;
            case ControlKind::Check: c.selection[i] = static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0; break;
        }
    }
}

void ConfigFormWindow::CopyOut() {
    const FormControls& c = model_.controls;
    for (const auto& parameter : model_.Controls()) {
        const std::size_t i = Index(parameter.id);
        QWidget* w = Control(parameter.id);
        if (!w) continue;  // a control the layout does not place
        QSignalBlocker block(w);
        switch (parameter.kind) {
            case ControlKind::Text: static_cast<QLineEdit*>(w)->setText(Q(c.text[i])); break;
            case ControlKind::EditableList: static_cast<QComboBox*>(w)->setEditText(Q(c.text[i])); break;
            case ControlKind::List: static_cast<QComboBox*>(w)->setCurrentIndex(c.selection[i]); break;
            case ControlKind::Radio:
                if (QAbstractButton* b = radios_[parameter.id]->button(c.selection[i])) b->setChecked(true);
                break;
            case ControlKind::Check: static_cast<QCheckBox*>(w)->setChecked(c.selection[i] != 0); break;
        }
    }
    if (QWidget* rfB = Control(F::RfB)) rfB->setEnabled(model_.RfBEnabled());
    for (const auto& comp : model_.Components()) components_[comp.name]->setText(Q(comp.text));
    emit Changed();
}

void ConfigFormWindow::FocusRefusedField() {
    const auto focus = model_.FocusField();
    if (!focus) return;
    QWidget* w = controls_[*focus];
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) combo->lineEdit()->selectAll();
}

void ConfigFormWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Run([this] { model_.OnEnter(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ConfigFormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !busy_) {
        // A message box taking the focus is not the person leaving the field.
        const auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::PopupFocusReason && focus->reason() != Qt::ActiveWindowFocusReason) {
            if (watched == accuracy_) Run([this] { model_.OnAccuracyLeft(); });
            else if (crystal_ && watched == crystal_ && !crystal_->isAncestorOf(QApplication::focusWidget()))
                Run([this] { model_.OnCrystalListLeft(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessary
