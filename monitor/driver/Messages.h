#pragma once
// The driver's message boxes (text, title and icon) and the lines it writes to the
// host's output window.

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

inline const tessary::UserMessage kCouldNotRemoveBreakpoints{
    "WARNING: Could not remove breakpoints from target! Affected opcodes (if any) are currently replaced by "
    "breakpoint instructions (0xA5). Please reload the application.",
    kMonitorTitle, tessary::MessageIcon::Exclamation};

// Lines for the host's output window.
inline constexpr const char* kSaveAreaWarning =
    "WARNING: 22 bytes of Xdata are used for register buffering, and cannot be overwritten!\n";
inline constexpr const char* kStackWarning = "WARNING: Stack used by the debug monitor cannot be overwritten!\n";
inline constexpr const char* kPswWarning =
    "WARNING: PSW.RS0 and PSW.RS1 (register bank select) can only be changed by the 8051-program!\n";
inline constexpr const char* kConditionalWarning =
    "Application does not run in real time because of conditional breakpoint(s)!\n";
// Our own: a breakpoint change the flash did not take; the run does not start.
inline constexpr const char* kBreakpointsNotSet =
    "The breakpoints could not be written to the target's flash; the program was not started.\n";

// The progress text of a multiple step (the number of steps asked for).
inline constexpr const char* kStepProgressFormat = "Multiple single-steps (%d)";

}  // namespace kx6500mon::messages
