#pragma once
// A configuration form's window as the main frame sees it. The frame never touches
// the controls: it asks the window to run an operation the way the window's own
// triggers do (controls in, operation, controls out).

#include <QWidget>
#include <functional>

#include "studio/config/ConfigurationForm.h"

namespace tessary {

class FormWindow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual ConfigurationForm& Form() = 0;
    // Shows the form's state (after the document changed outside the window).
    virtual void Refresh() = 0;
    virtual void RunOperation(const std::function<void()>& operation) = 0;

signals:
    // After every trigger and refresh: the document's flags may have changed.
    void Changed();
};

}  // namespace tessary
