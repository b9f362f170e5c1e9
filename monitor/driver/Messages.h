#pragma once
// The driver's message boxes: text, title and icon.

#include "common/MessageSink.h"

namespace kx6500mon::messages {

inline constexpr const char* kDebuggerTitle = "KX6500 Debugger Notification";
inline constexpr const char* kMonitorTitle = "Target Monitor Notification";

inline const tessary::UserMessage kPortNotAvailable{"The selected COM port is not available!", kDebuggerTitle,
                                                    tessary::MessageIcon::Stop};

inline const tessary::UserMessage kCannotConnect{
    "Cannot connect to target!\nPlease make sure that:\n1. The KX6500 Debug device is selected.\n2. All target "
    "settings (Project - Options for Target) are correct (incorrect settings may corrupt the ''debug boot "
    "loader'').\n3. The ''debug boot loader'' has been installed on the KX6500.\n4. The (powered) KX6500 is "
    "connected properly to the PC serial port.\n",
    kDebuggerTitle, tessary::MessageIcon::Stop};

inline const tessary::UserMessage kCommunicationFailure{
    "Communication failure!\nPlease make sure that:\n1. The target has not been reset while running (for example "
    "by the KX6500EB reset switch).\n2. The (powered) target (KX6500) is properly connected.\n3. The program does "
    "not interfere with the debugger monitor (for example by disabling the FWI interrupt).",
    kDebuggerTitle, tessary::MessageIcon::Exclamation};

}  // namespace kx6500mon::messages
