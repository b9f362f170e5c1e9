#pragma once
// The edit field of every value the person may change: Enter commits it, leaving it
// shows the view's values again.

#include <QLineEdit>
#include <functional>

namespace kx6500disp {

class CEnterEdit : public QLineEdit {
public:
    explicit CEnterEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
    std::function<void()> onEnter;
    std::function<void()> onLeave;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace kx6500disp
