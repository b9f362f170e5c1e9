#pragma once
// The views' messages and beeps. The plug-in shows a message box and beeps where a
// display exists, else it writes one line on standard error; tests record.

#include <cstdint>
#include <string>
#include <vector>

namespace kx6500disp {

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void Message(const std::string& text) = 0;
    virtual void Beep(std::uint32_t hz, std::uint32_t ms) = 0;
};

class RecordingNotifier : public Notifier {
public:
    void Message(const std::string& text) override { events.push_back(text); }
    void Beep(std::uint32_t hz, std::uint32_t ms) override {
        events.push_back("beep " + std::to_string(hz) + " Hz " + std::to_string(ms) + " ms");
    }
    std::vector<std::string> events;
};

}  // namespace kx6500disp
