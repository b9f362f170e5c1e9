#include "studio/app/KX400FormWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

#include "studio/app/QtSeams.h"
#include "studio/config/InfoHelp.h"

namespace tessary {

using F = FieldId;

namespace {

struct Placement {
    FieldId id;
    const char* label;
    const char* unit;
    int info;  // the Info button's topic
};

const std::vector<Placement>& Placements() {
    static const std::vector<Placement> rows = {
        {F::Xtal, "Crystal frequency", "MHz", 0},     {F::Ppm, "Crystal accuracy", "ppm", 1},
        {F::Rf, "RF frequency", "MHz", 2},            {F::IfStage, "IF stage", "kHz", 3},
        {F::Sep, "Frequency separation", "kHz", 4},   {F::Rate, "Data rate", "kbit/s", 5},
        {F::PaClass, "Power amplifier class", "", 6}, {F::Power, "RF output power", "dBm", 7},
        {F::Mode, "Mode", "", 8},                     {F::RxMode, "Receiver mode", "", 9},
        {F::Lock, "LOCK indicator", "", 10},          {F::VcoCurrent, "VCO current", "", 13},
    };
    return rows;
}

// The component groups with their Info topics and the components in them.
struct ComponentGroup {
    const char* title;
    int info;
    std::vector<std::string> names;
};
const std::vector<ComponentGroup>& ComponentGroups() {
    static const std::vector<ComponentGroup> groups = {
        {"PLL loop filter", 11, {"R121", "C121", "R122", "C122", "C123", "R123"}},
        {"Input/output match", 12, {"C51", "L51", "L61", "C61"}},
    };
    return groups;
}

}  // namespace

KX400FormWindow::KX400FormWindow(CConfigView& model, QWidget* parent) : FormWindow(parent), model_(model) {
    infoButtons_.assign(InfoButtonCount(InfoForm::KX400), nullptr);
    auto* outer = new QVBoxLayout(this);
    auto* parameters = new QGroupBox(QStringLiteral("System parameters"), this);
    auto* grid = new QGridLayout(parameters);
    int row = 0;
    for (const Placement& place : Placements()) {
        const ControlSpec* described = nullptr;
        for (const ControlSpec& c : CConfigView::ControlTable())
            if (c.id == place.id) described = &c;
        QWidget* control = nullptr;
        if (described->kind == ControlKind::List) {
            auto* combo = new QComboBox(parameters);
            for (auto entry : described->entries) combo->addItem(Q(entry));
            control = combo;
        } else {
            control = new QLineEdit(parameters);  // Enter reaches the form: one apply per key
        }
        control->setObjectName(Q(described->name));
        controls_[place.id] = control;
        grid->addWidget(new QLabel(QString::fromUtf8(place.label), parameters), row, 0);
        grid->addWidget(control, row, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(place.unit), parameters), row, 2);
        grid->addWidget(MakeInfo(place.info, parameters), row, 3);
        ++row;
    }
    outer->addWidget(parameters);

    auto* components = new QGroupBox(QStringLiteral("Component values"), this);
    auto* columns = new QHBoxLayout(components);
    for (const ComponentGroup& group : ComponentGroups()) {
        auto* box = new QGroupBox(QString::fromUtf8(group.title), components);
        auto* cgrid = new QGridLayout(box);
        int crow = 0;
        for (const ComponentText& c : model_.Components()) {
            if (std::find(group.names.begin(), group.names.end(), c.name) == group.names.end()) continue;
            auto* field = new QLineEdit(box);
            field->setReadOnly(true);
            field->setObjectName(Q(c.name));
            components_[c.name] = field;
            cgrid->addWidget(new QLabel(Q(c.name), box), crow, 0);
            cgrid->addWidget(field, crow, 1);
            cgrid->addWidget(new QLabel(Q(c.unit), box), crow, 2);
            ++crow;
        }
        cgrid->addWidget(MakeInfo(group.info, box), crow, 0);
        columns->addWidget(box);
    }
    outer->addWidget(components);

    auto* buttons = new QHBoxLayout;
    auto* update = new QPushButton(QStringLiteral("Update device"), this);
    update->setAutoDefault(false);
    connect(update, &QPushButton::clicked, this, [this] { Run([this] { model_.UpdateDevice(); }); });
    buttons->addStretch();
    buttons->addWidget(update);
    outer->addLayout(buttons);
    outer->addStretch();
    CopyOut();
}

QPushButton* KX400FormWindow::MakeInfo(int index, QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("Info"), parent);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, index] { model_.OnInfo(index); });
    infoButtons_[static_cast<std::size_t>(index)] = b;
    return b;
}

QWidget* KX400FormWindow::Control(FieldId id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QLineEdit* KX400FormWindow::ComponentField(const std::string& name) const {
    const auto it = components_.find(name);
    return it == components_.end() ? nullptr : it->second;
}

QPushButton* KX400FormWindow::InfoButton(int index) const {
    return index >= 0 && index < static_cast<int>(infoButtons_.size()) ? infoButtons_[static_cast<std::size_t>(index)]
                                                                       : nullptr;
}

void KX400FormWindow::CopyIn() {
    FormControls& c = model_.controls;
    for (const auto& [id, w] : controls_) {
        if (auto* combo = qobject_cast<QComboBox*>(w)) c.selection[Index(id)] = combo->currentIndex();
        else c.text[Index(id)] = static_cast<QLineEdit*>(w)->text().toStdString();
    }
}

void KX400FormWindow::CopyOut() {
    const FormControls& c = model_.controls;
    for (const auto& [id, w] : controls_) {
        QSignalBlocker block(w);
        if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setCurrentIndex(c.selection[Index(id)]);
        else static_cast<QLineEdit*>(w)->setText(Q(c.text[Index(id)]));
    }
    for (const ComponentText& comp : model_.Components())
        if (QLineEdit* field = ComponentField(comp.name)) field->setText(Q(comp.text));
    emit Changed();
}

void KX400FormWindow::FocusRefusedField() {
    const auto focus = model_.FocusField();
    if (!focus) return;
    QWidget* w = Control(*focus);
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
}

void KX400FormWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Run([this] { model_.OnEnter(); });
        return;
    }
    FormWindow::keyPressEvent(event);
}

}  // namespace tessary
