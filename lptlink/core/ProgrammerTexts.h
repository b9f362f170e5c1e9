#pragma once
// The words the flash programmer uses for the end of a run and for the device's lock
// state: the dialog's status line and boxes, and kxprog's output.

#include <string>
#include <string_view>

namespace lptlink {

// The text for the result of an action (a transaction or the flash test).
std::string ActionResultText(unsigned result, bool flashTest);
// The text for a device query (lock bits or signature) whose result is not a value:
// empty when the result is a value from 0 to 255.
std::string DeviceQueryErrorText(unsigned result);
// "%s Read Lock, %s boot write lock,<break>Upper %d bytes write locked."
std::string LockStatusText(int lockBits, std::string_view lineBreak = "\r\n");

}  // namespace lptlink
