#pragma once
// Messages and beeps of the views: a message box that does not wait and the
// toolkit's beep on a display; on the offscreen platform or without a QApplication
// one line on standard error ("KX6500Disp: text", "KX6500Disp: beep 1000 Hz 100 ms").

#include "display/core/Notifier.h"

namespace kx6500disp {

class QtNotifier : public Notifier {
public:
    void Message(const std::string& text) override;
    void Beep(std::uint32_t hz, std::uint32_t ms) override;
};

// True when windows reach a person: a QApplication on a platform other than offscreen.
bool OnDisplay();

}  // namespace kx6500disp
