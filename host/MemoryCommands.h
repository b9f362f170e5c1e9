#pragma once
// "mem read" and "mem write" on the in-memory target (d: data and SFRs, x: XDATA), in
// the monitor commands' format.

#include <functional>

#include "host/HostSession.h"
#include "host/MemoryTarget.h"

namespace kxdebug {

// afterWrite runs after every write that reached the target (the display's update).
void AddMemoryTargetCommands(HostSession& session, MemoryTarget& target, std::function<void()> afterWrite);

}  // namespace kxdebug
