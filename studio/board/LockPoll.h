#pragma once
// One poll of the PLL lock state as the main frame's timer does it.

#include <string>

#include "studio/board/CRegisterBus.h"
#include "studio/config/CConfig.h"

namespace tessary {

inline constexpr const char* kInLock = "In Lock";
inline constexpr const char* kNotLocked = "Not Locked";
inline constexpr const char* kLockDisabled = "Disabled";

// kx6500: the active view is the KX6500 form or its register view, whose lock state
// is bit 0 of register E4h unless the form's lock indicator is "Disable"; every other
// view reads the lock pin.
std::string PollLock(bool kx6500, const CConfig& config, CRegisterBus& bus);

}  // namespace tessary
