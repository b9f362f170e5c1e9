#include "studio/app/RegisterViewWindow.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "studio/app/QtSeams.h"

namespace tessary {

RegisterViewWindow::RegisterViewWindow(std::unique_ptr<CRegisterViewModel> model, QWidget* parent)
    : RegisterPane(parent), model_(std::move(model)) {
    const RegisterViewTable& table = model_->Table();
    setObjectName(Q(std::string(table.device) + " registers"));
    auto* outer = new QVBoxLayout(this);

    auto* registers = new QGroupBox(QStringLiteral("Registers"), this);
    auto* grid = new QGridLayout(registers);
    hex_.assign(table.entries.size(), nullptr);
    int cell = 0;
    for (int entry : table.ShownEntries()) {
        const ViewEntry& e = table.entries[static_cast<std::size_t>(entry)];
        auto* field = new QLineEdit(registers);
        field->setMaxLength(2);
        field->setFixedWidth(40);
        field->setObjectName(Q(e.name));
        if (table.applyOnLeave) field->installEventFilter(this);
        hex_[static_cast<std::size_t>(e.entry)] = field;
        const int row = cell / 4, column = (cell % 4) * 2;
        grid->addWidget(new QLabel(Q(e.name), registers), row, column);
        grid->addWidget(field, row, column + 1);
        ++cell;
    }
    outer->addWidget(registers);

    // The named controls, grouped by register.
    auto* bits = new QGroupBox(QStringLiteral("Register fields"), this);
    auto* bitsLayout = new QVBoxLayout(bits);
    std::map<int, QHBoxLayout*> rows;
    fields_.assign(table.fields.size(), nullptr);
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        const FieldBinding& f = table.fields[i];
        QHBoxLayout*& row = rows[f.entry];
        if (!row) {
            row = new QHBoxLayout;
            auto* label = new QLabel(Q(table.entries[static_cast<std::size_t>(f.entry)].name), bits);
            label->setMinimumWidth(90);
            row->addWidget(label);
            bitsLayout->addLayout(row);
        }
        const int index = static_cast<int>(i);
        QWidget* control = nullptr;
        QLabel* caption = nullptr;  // lists and decimal fields carry theirs beside them
        switch (f.kind) {
            case FieldKind::Check: {
                auto* check = new QCheckBox(Q(f.caption), bits);
                connect(check, &QCheckBox::clicked, this, [this, index] { Run([this, index] { model_->OnFieldChanged(index); }); });
                control = check;
                break;
            }
            case FieldKind::List: {
                auto* combo = new QComboBox(bits);
                for (int v = 0; v < CRegisterViewModel::ListChoices(f.mask); ++v) combo->addItem(QString::number(v));
                connect(combo, &QComboBox::activated, this, [this, index] { Run([this, index] { model_->OnFieldChanged(index); }); });
                caption = new QLabel(Q(f.caption), bits);
                control = combo;
                break;
            }
            case FieldKind::Decimal: {
                auto* edit = new QLineEdit(bits);
                edit->setFixedWidth(50);
                connect(edit, &QLineEdit::editingFinished, this, [this, index] {
                    Run([this, index] { model_->OnFieldChanged(index); });
                });
                caption = new QLabel(Q(f.caption), bits);
                control = edit;
                break;
            }
        }
        control->setObjectName(Q(f.caption));
        if (caption) row->addWidget(caption);
        row->addWidget(control);
        if (f.hidden) {
            control->hide();
            if (caption) caption->hide();
        }
        fields_[i] = control;
    }
    for (auto& [entry, row] : rows) row->addStretch();
    outer->addWidget(bits);

    auto* buttons = new QHBoxLayout;
    auto* update = new QPushButton(QStringLiteral("Update device"), this);
    auto* read = new QPushButton(table.boardBus ? QStringLiteral("&Read") : QStringLiteral("R&ead"), this);
    auto* calibrate = new QPushButton(QStringLiteral("&Calibrate"), this);
    auto* reset = new QPushButton(table.boardBus ? QStringLiteral("&HW Reset") : QStringLiteral("&Reset"), this);
    for (QPushButton* b : {update, read, calibrate, reset}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    connect(update, &QPushButton::clicked, this, [this] { Run([this] { model_->UpdateDevice(); }); });
    connect(read, &QPushButton::clicked, this, [this] { Run([this] { model_->ReadBack(); }); });
    connect(calibrate, &QPushButton::clicked, this, [this] { Run([this] { model_->Calibrate(); }); });
    connect(reset, &QPushButton::clicked, this, [this] { Run([this] { model_->Reset(); }); });
    outer->addLayout(buttons);
    outer->addStretch();
    CopyOut();
}

void RegisterViewWindow::CopyIn() {
    CRegisterViewModel& m = *model_;
    for (std::size_t e = 0; e < hex_.size(); ++e)
        if (hex_[e]) m.hex[e] = hex_[e]->text().toStdString();
    const auto& fields = m.Table().fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        switch (fields[i].kind) {
            case FieldKind::Check: m.fieldValue[i] = static_cast<QCheckBox*>(fields_[i])->isChecked() ? 1 : 0; break;
            case FieldKind::List: m.fieldValue[i] = static_cast<QComboBox*>(fields_[i])->currentIndex(); break;
            case FieldKind::Decimal: m.fieldText[i] = static_cast<QLineEdit*>(fields_[i])->text().toStdString(); break;
        }
    }
}

void RegisterViewWindow::CopyOut() {
    const CRegisterViewModel& m = *model_;
    for (std::size_t e = 0; e < hex_.size(); ++e)
        if (hex_[e]) {
            QSignalBlocker block(hex_[e]);
            hex_[e]->setText(Q(m.hex[e]));
        }
    const auto& fields = m.Table().fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        QSignalBlocker block(fields_[i]);
        switch (fields[i].kind) {
            case FieldKind::Check: static_cast<QCheckBox*>(fields_[i])->setChecked(m.fieldValue[i] != 0); break;
            case FieldKind::List: static_cast<QComboBox*>(fields_[i])->setCurrentIndex(m.fieldValue[i]); break;
            case FieldKind::Decimal: static_cast<QLineEdit*>(fields_[i])->setText(Q(m.fieldText[i])); break;
        }
    }
}

void RegisterViewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Run([this] { model_->ApplyEdits(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

bool RegisterViewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !busy_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            Run([this] { model_->ApplyEdits(); });
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessary
