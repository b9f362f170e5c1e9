#include "host/ViewCommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <nlohmann/json.hpp>

#include "host/core/CommandTable.h"

namespace kxdebug {

namespace {

using Json = nlohmann::ordered_json;

struct ViewName {
    const char* name;
    std::uint32_t dialogId;
};
constexpr ViewName kViews[] = {
    {"adc", 1009},    {"des", 1011},     {"flash", 1027},   {"interrupts", 1008}, {"ports", 1002},
    {"port0", 1020},  {"port1", 1021},   {"port2", 1019},   {"port3", 1022},      {"power", 1010},
    {"radio", 1014},  {"serial0", 1024}, {"serial1", 1023}, {"spi", 1025},        {"timers", 1000},
};

std::string ViewNames() {
    std::string names;
    for (const ViewName& v : kViews) names += (names.empty() ? "" : " ") + std::string(v.name);
    return names;
}

// The kind of a control, by its widget's class; nothing for widgets that are none.
std::string KindOf(QWidget* w) {
    if (qobject_cast<QCheckBox*>(w)) return "check";
    if (qobject_cast<QComboBox*>(w)) return "list";
    if (qobject_cast<QTabWidget*>(w)) return "tabs";
    if (qobject_cast<QPlainTextEdit*>(w)) return "text";
    if (qobject_cast<QListWidget*>(w)) return "lines";
    if (qobject_cast<QLineEdit*>(w)) return "field";
    if (qobject_cast<QPushButton*>(w)) return "button";
    if (qobject_cast<QLabel*>(w)) return "label";
    return {};
}

// The controls of a view: its widgets with an object name of their own (the
// toolkit's inner widgets are named qt_...), in the window's order, tab pages in the
// order of their tabs.
void Collect(QWidget* parent, std::vector<QWidget*>& controls) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w) continue;
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && !KindOf(w).empty()) controls.push_back(w);
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) Collect(tabs->widget(i), controls);
            continue;
        }
        Collect(w, controls);
    }
}

std::vector<QWidget*> ControlsOf(QWidget* view) {
    std::vector<QWidget*> controls;
    Collect(view, controls);
    return controls;
}

Json Describe(QWidget* view, QWidget* w) {
    const std::string kind = KindOf(w);
    Json c{{"kind", kind}, {"enabled", w->isEnabled()}, {"visible", w->isVisibleTo(view)}};
    auto items = [](auto count, auto text) {
        Json list = Json::array();
        for (int i = 0; i < count; ++i) list.push_back(text(i).toStdString());
        return list;
    };
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        c["checked"] = box->isChecked();
    } else if (auto* list = qobject_cast<QComboBox*>(w)) {
        c["index"] = list->currentIndex();
        c["items"] = items(list->count(), [list](int i) { return list->itemText(i); });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        c["index"] = tabs->currentIndex();
        c["items"] = items(tabs->count(), [tabs](int i) { return tabs->tabText(i); });
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
        c["text"] = text->toPlainText().toStdString();
    } else if (auto* lines = qobject_cast<QListWidget*>(w)) {
        c["items"] = items(lines->count(), [lines](int i) { return lines->item(i)->text(); });
    } else if (auto* field = qobject_cast<QLineEdit*>(w)) {
        c["text"] = field->text().toStdString();
        c["editable"] = !field->isReadOnly();
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        c["text"] = label->text().toStdString();
    }
    return c;
}

class Views {
public:
    explicit Views(HostSession& s) : session_(s) {}

    // The menu entry of a view, or null with the reason.
    MenuEntry* Entry(const std::string& name, std::string& error) const {
        if (!session_.HasDisplay()) {
            error = "no display plug-in is loaded (--display)";
            return nullptr;
        }
        const ViewName* known = nullptr;
        for (const ViewName& v : kViews)
            if (name == v.name) known = &v;
        if (!known) {
            error = "unknown view '" + name + "' (" + ViewNames() + ")";
            return nullptr;
        }
        for (MenuEntry* e = session_.Record().menu; e && e->kind != MENU_END; ++e)
            if (e->kind == MENU_ITEM && e->dialogId == known->dialogId && e->view && e->open) return e;
        error = "the display plug-in has no menu item for " + name;
        return nullptr;
    }

    // The view's window, when it is open.
    static QWidget* Window(const MenuEntry* e) {
        const std::uintptr_t handle = e->view->window;
        if (!handle) return nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())  // only a live window is taken for one
            if (reinterpret_cast<std::uintptr_t>(w) == handle) return w;
        return nullptr;
    }

    QWidget* OpenWindow(const std::string& name, std::string& error) const {
        MenuEntry* e = Entry(name, error);
        if (!e) return nullptr;
        QWidget* w = Window(e);
        if (!w) error = "view " + name + " is not open";
        return w;
    }

    // A control of an open view that can be operated, of one of the kinds wanted.
    QWidget* Control(const std::string& name, const std::string& id, std::initializer_list<const char*> kinds,
                     std::string& error) const {
        QWidget* view = OpenWindow(name, error);
        if (!view) return nullptr;
        for (QWidget* w : ControlsOf(view)) {
            if (w->objectName().toStdString() != id) continue;
            const std::string kind = KindOf(w);
            if (!w->isEnabled()) {
                error = name + ": '" + id + "' is disabled";
                return nullptr;
            }
            for (const char* k : kinds)
                if (kind == k) return w;
            std::string wanted;
            for (const char* k : kinds) wanted += (wanted.empty() ? "" : " or ") + std::string(k);
            error = name + ": '" + id + "' is a " + kind + ", not a " + wanted;
            return nullptr;
        }
        error = name + " has no control '" + id + "'";
        return nullptr;
    }

private:
    HostSession& session_;
};

bool Index(const std::string& text, int count, int& index, std::string& error) {
    const auto value = ParseDecimal(text);
    if (!value || *value >= static_cast<unsigned long>(count)) {
        error = "'" + text + "' is not an entry (0 to " + std::to_string(count - 1) + ")";
        return false;
    }
    index = static_cast<int>(*value);
    return true;
}

bool Editable(QLineEdit* field, const std::string& name, std::string& error) {
    if (!field->isReadOnly()) return true;
    error = name + ": '" + field->objectName().toStdString() + "' is read-only";
    return false;
}

void PressEnter(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

// set: a box clicked when it differs, a list entry chosen (its action runs even when
// it is chosen already), a field's text replaced and Enter pressed, a tab selected.
bool Set(const Views& views, const CommandArgs& args, std::string& error) {
    QWidget* w = views.Control(args[0], args[1], {"check", "list", "field", "tabs"}, error);
    if (!w) return false;
    const std::string value = args.RestFrom(2);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        if (value != "0" && value != "1") {
            error = "a check box is set to 0 or 1, not '" + value + "'";
            return false;
        }
        if (box->isChecked() != (value == "1")) box->click();
        return true;
    }
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        int index = 0;
        if (!Index(value, list->count(), index, error)) return false;
        list->setCurrentIndex(index);
        emit list->activated(index);
        return true;
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        int index = 0;
        if (!Index(value, tabs->count(), index, error)) return false;
        tabs->setCurrentIndex(index);
        return true;
    }
    auto* field = static_cast<QLineEdit*>(w);
    if (!Editable(field, args[0], error)) return false;
    field->setText(QString::fromStdString(value));
    PressEnter(field);
    return true;
}

}  // namespace

void AddViewCommands(HostSession& session) {
    auto views = std::make_shared<Views>(session);
    CommandTable& commands = session.Commands();
    // A command with its usage, taking `least` to `most` words before its work.
    using Body = std::function<bool(Views&, const CommandArgs&, std::ostream&, std::string&)>;
    auto add = [&](std::string name, std::string usage, std::string summary, std::size_t least, std::size_t most,
                   Body body) {
        const std::string line = "usage: " + name + " " + usage;
        commands.Add({std::move(name), std::move(usage), std::move(summary),
                      [views, line, least, most, body](const CommandArgs& args, std::ostream& out, std::string& error) {
                          if (args.size() < least || args.size() > most) {
                              error = line;
                              return false;
                          }
                          return body(*views, args, out, error);
                      }});
    };
    constexpr std::size_t kRest = ~std::size_t{0};  // the rest of the line follows

    auto toggle = [](int when) {  // 1: if closed, 0: if open, -1: always
        return [when](Views& v, const CommandArgs& args, std::ostream&, std::string& error) {
            MenuEntry* e = v.Entry(args[0], error);
            if (!e) return false;
            const bool open = Views::Window(e) != nullptr;
            if (when < 0 || (when == 1) != open) e->open(e);
            return true;
        };
    };
    add("view open", "NAME", "opens a display view through its menu item (NAME: " + ViewNames() + ")", 1, 1,
        toggle(1));
    add("view close", "NAME", "closes a display view through its menu item", 1, 1, toggle(0));
    add("view toggle", "NAME", "chooses a display view's menu item", 1, 1, toggle(-1));
    add("view show", "NAME", "prints a view's controls as one JSON line", 1, 1,
        [](Views& v, const CommandArgs& args, std::ostream& out, std::string& error) {
            MenuEntry* e = v.Entry(args[0], error);
            if (!e) return false;
            Json j{{"view", args[0]}, {"open", false}};
            if (QWidget* w = Views::Window(e)) {
                j["open"] = true;
                j["title"] = w->windowTitle().toStdString();
                Json controls = Json::object();
                for (QWidget* c : ControlsOf(w)) controls[c->objectName().toStdString()] = Describe(w, c);
                j["controls"] = controls;
            }
            out << j.dump() << "\n";
            return true;
        });
    add("view set", "NAME ID VALUE", "sets a control as a person would (Enter after a field's text)", 2, kRest,
        [](Views& v, const CommandArgs& args, std::ostream&, std::string& error) { return Set(v, args, error); });
    add("view type", "NAME ID TEXT", "replaces a field's text without Enter", 2, kRest,
        [](Views& v, const CommandArgs& args, std::ostream&, std::string& error) {
            auto* field = static_cast<QLineEdit*>(v.Control(args[0], args[1], {"field"}, error));
            if (!field || !Editable(field, args[0], error)) return false;
            field->setText(QString::fromStdString(args.RestFrom(2)));
            return true;
        });
    add("view leave", "NAME ID", "takes the focus away from a field", 2, 2,
        [](Views& v, const CommandArgs& args, std::ostream&, std::string& error) {
            QWidget* field = v.Control(args[0], args[1], {"field"}, error);
            if (!field) return false;
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(field, &out);
            return true;
        });
    add("view press", "NAME ID", "presses a button", 2, 2,
        [](Views& v, const CommandArgs& args, std::ostream&, std::string& error) {
            auto* button = static_cast<QPushButton*>(v.Control(args[0], args[1], {"button"}, error));
            if (!button) return false;
            button->click();
            return true;
        });
    add("view grab", "NAME FILE.png", "saves a picture of an open view (a name with blanks in double quotes)", 2, 2,
        [](Views& v, const CommandArgs& args, std::ostream&, std::string& error) {
            QWidget* w = v.OpenWindow(args[0], error);
            if (!w) return false;
            if (!w->grab().save(QString::fromStdString(args[1]))) {
                error = args[1] + ": the picture cannot be written";
                return false;
            }
            return true;
        });
}

}  // namespace kxdebug
