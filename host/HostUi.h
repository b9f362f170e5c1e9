#pragma once
// How the host meets the person: message boxes and beeps raised by the plug-ins, and
// the window events between commands. Without windows a message box is one line on
// standard error and is answered Cancel (questions No), since nobody is asked.

#include <cstdint>
#include <ostream>
#include <string>

namespace kxdebug {

class HostUi {
public:
    virtual ~HostUi() = default;
    // HOST_MB_* style in, HOST_ID_* answer out.
    virtual std::uint32_t MessageBox(const std::string& text, const std::string& title, std::uint32_t style) = 0;
    virtual void Beep(std::uint32_t hz, std::uint32_t ms) = 0;
    virtual void ProcessEvents() {}
};

class ConsoleUi : public HostUi {
public:
    explicit ConsoleUi(std::ostream& err) : err_(err) {}
    std::uint32_t MessageBox(const std::string& text, const std::string& title, std::uint32_t style) override;
    void Beep(std::uint32_t, std::uint32_t) override {}

private:
    std::ostream& err_;
};

// The answer nobody gives: OK where that is the only button, else Cancel.
std::uint32_t UnattendedAnswer(std::uint32_t style);

}  // namespace kxdebug
