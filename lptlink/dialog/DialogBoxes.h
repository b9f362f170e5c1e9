#pragma once
// The programmer dialog's boxes on the window's thread: Qt message boxes over the
// window, or, where nobody can answer them (the offscreen and minimal platforms), one
// line each on standard error with the answer that changes nothing.

#include <QWidget>

#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

class QtDialogBoxes : public DialogMessages {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Show(const tessary::UserMessage& message) override;
    bool Ask(const tessary::UserMessage& question) override;
    bool AskOkCancel(const tessary::UserMessage& question) override;

private:
    QWidget* parent_ = nullptr;
};

class UnattendedDialogBoxes : public DialogMessages {
public:
    void Show(const tessary::UserMessage& message) override;
    bool Ask(const tessary::UserMessage& question) override;
    bool AskOkCancel(const tessary::UserMessage& question) override;
};

// True on the platforms where no person sees the window.
bool UnattendedPlatform();

}  // namespace lptlink
