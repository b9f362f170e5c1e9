#pragma once
// A register view's window as the main frame sees it: "Update Device" (F5), the EEP
// file behind "Print re&gisters to file" and "&Load register from file", and a refresh.

#include <QWidget>
#include <cstdint>
#include <span>
#include <string>

namespace tessary {

class RegisterPane : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void UpdateDevice() = 0;
    virtual std::string EepText() const = 0;
    // A refused file shows the view's message and changes nothing.
    virtual void LoadEep(std::span<const std::uint8_t> bytes) = 0;
    // Shows the view's state again (also after a cancelled load).
    virtual void Refresh() = 0;
};

}  // namespace tessary
