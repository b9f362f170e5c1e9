#include "display/qt/ViewDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "display/qt/CEnterEdit.h"

namespace kx6500disp {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QStringList ToList(const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& s : items) list << Q(s);
    return list;
}

// Field widths in characters, by what they hold.
int FieldChars(const ControlSpec& control) {
    switch (control.binding) {
    case Binding::Hex: return static_cast<int>(2 * control.bytes.size()) + 2;
    case Binding::Number: return 5;
    default: return 12;
    }
}

}  // namespace

// A tab page or the area outside the tabs: columns of blocks, each block a grid of
// rows, in a group box where the controls have a group.
struct ViewDialog::Container {
    QWidget* widget = nullptr;
    QHBoxLayout* columns = nullptr;
    QVBoxLayout* column = nullptr;
    QGridLayout* grid = nullptr;
    std::string group;
    int row = -1;
    QHBoxLayout* rowBox = nullptr;

    explicit Container(QWidget* w) : widget(w), columns(new QHBoxLayout(w)) { NewColumn(); }
    void NewColumn() {
        column = new QVBoxLayout;
        columns->addLayout(column);
        grid = nullptr;
        rowBox = nullptr;
    }
    QGridLayout* Grid(const std::string& wanted) {
        if (grid && wanted == group) return grid;
        group = wanted;
        row = -1;
        rowBox = nullptr;
        grid = new QGridLayout;
        if (wanted.empty()) {
            column->addLayout(grid);
        } else {
            auto* box = new QGroupBox(Q(wanted));
            box->setLayout(grid);
            column->addWidget(box);
        }
        return grid;
    }
    void Finish() {
        for (int i = 0; i < columns->count(); ++i)
            if (auto* c = qobject_cast<QVBoxLayout*>(columns->itemAt(i)->layout())) c->addStretch(1);
        columns->addStretch(1);
    }
};

ViewDialog::ViewDialog(PeripheralView& view, const ViewInfo& info, const ViewDescriptor& descriptor,
                       WindowEvents events)
    : QDialog(nullptr), view_(&view), info_(info), events_(std::move(events)) {
    setWindowTitle(QString::fromUtf8(info.title.data(), static_cast<qsizetype>(info.title.size())));
    setModal(false);
    Build();
    Pull();
    adjustSize();
    if (view.Controls().empty()) resize(std::max(width(), 280), std::max(height(), 60));
    PlaceInitially(descriptor);
}

void ViewDialog::PlaceInitially(const ViewDescriptor& d) {
    if (!info_.restoresPosition) return;
    if (d.left == -1) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        return;
    }
    move(d.left, d.top);
}

QWidget* ViewDialog::MakeWidget(std::size_t index) {
    const Control& c = view_->Controls()[index];
    const QString id = Q(c.Id());
    auto forward = [this](auto action) {
        return [this, action](auto&&... args) {
            if (view_) action(*view_, args...);
        };
    };
    const std::string cid = c.Id();
    QWidget* w = nullptr;
    switch (c.Kind()) {
    case ControlKind::Check: {
        auto* box = new QCheckBox(Q(c.control.caption));
        connect(box, &QCheckBox::clicked, this, forward([cid](PeripheralView& v, bool on) { v.Click(cid, on); }));
        w = box;
        break;
    }
    case ControlKind::List: {
        auto* list = new QComboBox;
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        connect(list, &QComboBox::activated, this, forward([cid](PeripheralView& v, int i) { v.Select(cid, i); }));
        w = list;
        break;
    }
    case ControlKind::Field: {
        QLineEdit* edit = nullptr;
        if (c.Editable()) {
            auto* enter = new CEnterEdit;
            enter->onEnter = [this, cid] {
                if (view_) view_->Enter(cid);
            };
            enter->onLeave = [this, cid] {
                if (view_) view_->Leave(cid);
            };
            edit = enter;
        } else {
            edit = new QLineEdit;
            edit->setReadOnly(true);
        }
        if (c.control.maxLength) edit->setMaxLength(static_cast<int>(c.control.maxLength));
        connect(edit, &QLineEdit::textChanged, this,
                forward([cid](PeripheralView& v, const QString& t) { v.TypeText(cid, t.toStdString()); }));
        const int width = edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * FieldChars(c.control) + 12;
        if (c.control.binding == Binding::Hex || c.control.binding == Binding::Number)
            edit->setFixedWidth(width);
        else
            edit->setMinimumWidth(width);
        w = edit;
        break;
    }
    case ControlKind::Label: w = new QLabel; break;
    case ControlKind::Text: {
        auto* text = new QPlainTextEdit;
        text->setReadOnly(true);
        w = text;
        break;
    }
    case ControlKind::Lines: w = new QListWidget; break;
    case ControlKind::Button: {
        auto* button = new QPushButton(Q(c.control.caption));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, forward([cid](PeripheralView& v, bool) { v.Press(cid); }));
        w = button;
        break;
    }
    case ControlKind::Tabs: {
        auto* tabs = new QTabWidget;
        for (const auto& name : c.items) tabs->addTab(new QWidget, Q(name));
        connect(tabs, &QTabWidget::currentChanged, this,
                forward([cid](PeripheralView& v, int i) { v.SelectTab(cid, i); }));
        w = tabs;
        break;
    }
    }
    w->setObjectName(id);
    return w;
}

void ViewDialog::Place(Container& area, std::size_t index, QWidget* widget) {
    const ControlSpec& control = view_->Controls()[index].control;
    if (control.place.newColumn) area.NewColumn();
    QGridLayout* grid = area.Grid(control.place.group);
    const bool captioned = control.kind != ControlKind::Check && control.kind != ControlKind::Button &&
                           control.kind != ControlKind::Label && !control.caption.empty();
    QLabel* caption = nullptr;
    if (captioned) {
        caption = new QLabel(Q(control.caption));
        caption->setBuddy(widget);
        companions_[index].push_back(caption);
    }
    auto unit = [&]() -> QLabel* {
        if (control.place.unit.empty()) return nullptr;
        auto* label = new QLabel(Q(control.place.unit));
        companions_[index].push_back(label);
        return label;
    };
    if (control.place.column >= 0) {
        // A cell of the grid, so that rows of boxes line up; beside: the same row.
        if (!control.place.beside || area.rowBox || area.row < 0) ++area.row;
        area.rowBox = nullptr;
        auto* cell = new QHBoxLayout;
        if (caption) cell->addWidget(caption);
        cell->addWidget(widget);
        if (QLabel* u = unit()) cell->addWidget(u);
        grid->addLayout(cell, area.row, control.place.column);
        return;
    }
    // A row: the first control's caption in the first column, the rest of the row
    // (its widget, unit, and the controls beside it) in one box.
    if (!control.place.beside || !area.rowBox) {
        ++area.row;
        area.rowBox = new QHBoxLayout;
        area.rowBox->addStretch(1);
        if (caption) {
            grid->addWidget(caption, area.row, 0);
            grid->addLayout(area.rowBox, area.row, 1);
            caption = nullptr;
        } else {
            grid->addLayout(area.rowBox, area.row, 0, 1, 2);
        }
    }
    auto add = [&](QWidget* w) { area.rowBox->insertWidget(area.rowBox->count() - 1, w); };
    if (caption) add(caption);
    add(widget);
    if (QLabel* u = unit()) add(u);
}

void ViewDialog::Build() {
    auto* top = new QVBoxLayout(this);
    const auto& controls = view_->Controls();
    widgets_.assign(controls.size(), nullptr);
    companions_.assign(controls.size(), {});

    auto* outside = new QWidget;
    top->addWidget(outside);
    auto area = std::make_unique<Container>(outside);
    std::vector<std::unique_ptr<Container>> pages;
    std::vector<std::unique_ptr<Container>> done;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        QWidget* w = MakeWidget(i);
        widgets_[i] = w;
        const ControlSpec& control = controls[i].control;
        if (control.kind == ControlKind::Tabs) {
            auto* tabs = static_cast<QTabWidget*>(w);
            top->addWidget(tabs);
            for (int t = 0; t < tabs->count(); ++t) pages.push_back(std::make_unique<Container>(tabs->widget(t)));
            // What follows outside the tabs goes below them.
            done.push_back(std::move(area));
            auto* below = new QWidget;
            top->addWidget(below);
            area = std::make_unique<Container>(below);
            continue;
        }
        const int tab = control.place.tab;
        Container& into = tab >= 0 && tab < static_cast<int>(pages.size()) ? *pages[tab] : *area;
        Place(into, i, w);
    }
    done.push_back(std::move(area));
    for (auto& c : done) {
        c->Finish();
        if (!c->grid) c->widget->hide();  // nothing in it
    }
    for (auto& p : pages) p->Finish();
}

void ViewDialog::Pull() {
    if (!view_) return;
    const auto& controls = view_->Controls();
    for (std::size_t i = 0; i < controls.size() && i < widgets_.size(); ++i) {
        const Control& c = controls[i];
        QWidget* w = widgets_[i];
        const QSignalBlocker block(w);
        switch (c.Kind()) {
        case ControlKind::Check: static_cast<QCheckBox*>(w)->setChecked(c.screen.checked); break;
        case ControlKind::List: {
            auto* list = static_cast<QComboBox*>(w);
            const QStringList items = ToList(c.items);
            QStringList shown;
            for (int k = 0; k < list->count(); ++k) shown << list->itemText(k);
            if (shown != items) {
                list->clear();
                list->addItems(items);
            }
            list->setCurrentIndex(c.screen.index);
            break;
        }
        case ControlKind::Field: {
            auto* edit = static_cast<QLineEdit*>(w);
            if (edit->text() != Q(c.screen.text)) edit->setText(Q(c.screen.text));
            break;
        }
        case ControlKind::Label: static_cast<QLabel*>(w)->setText(Q(c.screen.text)); break;
        case ControlKind::Text: {
            auto* text = static_cast<QPlainTextEdit*>(w);
            if (text->toPlainText() != Q(c.screen.text)) text->setPlainText(Q(c.screen.text));
            break;
        }
        case ControlKind::Lines: {
            auto* lines = static_cast<QListWidget*>(w);
            lines->clear();
            lines->addItems(ToList(c.items));
            break;
        }
        case ControlKind::Tabs: static_cast<QTabWidget*>(w)->setCurrentIndex(c.screen.index); break;
        case ControlKind::Button: break;
        }
        w->setEnabled(c.screen.enabled);
        if (c.Kind() != ControlKind::Tabs) {
            w->setVisible(c.screen.visible);
            for (QWidget* companion : companions_[i]) companion->setVisible(c.screen.visible);
        }
    }
}

void ViewDialog::closeEvent(QCloseEvent* event) {
    const QRect frame = frameGeometry();
    inClose_ = true;
    if (events_.closed) events_.closed({frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()});
    inClose_ = false;
    event->accept();
}

bool ViewDialog::event(QEvent* event) {
    if ((event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) && view_ &&
        events_.activated)
        events_.activated(reinterpret_cast<std::uintptr_t>(this), event->type() == QEvent::WindowActivate);
    return QDialog::event(event);
}

namespace {

class QtViewWindow : public ViewWindow {
public:
    QtViewWindow(ViewDialog* dialog, QtWindowFactory& factory)
        : dialog_(dialog), handle_(reinterpret_cast<std::uintptr_t>(dialog)), factory_(factory) {}
    ~QtViewWindow() override {
        if (!dialog_) return;
        dialog_->Detach();
        if (dialog_->InClose()) {
            factory_.DeleteLater(dialog_);
        } else {
            delete dialog_.data();
        }
    }
    std::uintptr_t Handle() const override { return handle_; }
    void Refresh() override {
        if (dialog_) dialog_->Pull();
    }
    void RequestClose() override {
        if (dialog_) dialog_->close();
    }

private:
    QPointer<ViewDialog> dialog_;
    std::uintptr_t handle_;
    QtWindowFactory& factory_;
};

}  // namespace

std::unique_ptr<ViewWindow> QtWindowFactory::Create(PeripheralView& view, const ViewInfo& info,
                                                    const ViewDescriptor& descriptor, WindowEvents events) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    auto* dialog = new ViewDialog(view, info, descriptor, std::move(events));
    dialog->show();
    return std::make_unique<QtViewWindow>(dialog, *this);
}

void QtWindowFactory::DeleteLater(ViewDialog* dialog) {
    dialog->hide();
    dialog->deleteLater();
    pending_.emplace_back(dialog);
}

void QtWindowFactory::ReleaseAll() {
    for (auto& dialog : pending_) delete dialog.data();  // gone already: null
    pending_.clear();
}

}  // namespace kx6500disp
