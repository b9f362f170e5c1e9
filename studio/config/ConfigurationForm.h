#pragma once
// What the main frame asks of every device's configuration form, whatever its block
// of CConfig and its calculation.

#include "studio/config/TessaryDocument.h"

namespace tessary {

class ConfigurationForm : public DocumentView {
public:
    // First display: show the document's values and apply them once.
    virtual void OnInitialUpdate() = 0;
    // Fills the register image from the values shown, touching neither the document's
    // flags nor its parameters (the form is becoming the active one).
    virtual void Recalculate() = 0;
    // "Update Device"; false when the form's checks stopped it.
    virtual bool UpdateDevice() = 0;
    // "&Reset settings", with its question.
    virtual void OnResetSettings() = 0;
    // The typical current consumption in mA, shown by the main frame's timer.
    virtual double Current() const = 0;
};

}  // namespace tessary
