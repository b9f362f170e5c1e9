#pragma once
// Message boxes and beeps in windows, for --gui. Needs a QApplication.

#include "host/HostUi.h"

namespace kxdebug {

class QtUi : public HostUi {
public:
    std::uint32_t MessageBox(const std::string& text, const std::string& title, std::uint32_t style) override;
    void Beep(std::uint32_t hz, std::uint32_t ms) override;
    void ProcessEvents() override;
};

}  // namespace kxdebug
