#include "display/qt/CEnterEdit.h"

#include <QKeyEvent>

namespace kx6500disp {

namespace {
bool IsEnter(const QKeyEvent* event) { return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter; }
}  // namespace

void CEnterEdit::keyPressEvent(QKeyEvent* event) {
    if (!IsEnter(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Taken here, so the dialog never sees it as its default button's key.
    event->accept();
    if (onEnter) onEnter();
}

void CEnterEdit::keyReleaseEvent(QKeyEvent* event) {
    if (IsEnter(event))
        event->accept();
    else
        QLineEdit::keyReleaseEvent(event);
}

void CEnterEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (onLeave) onLeave();
}

}  // namespace kx6500disp
