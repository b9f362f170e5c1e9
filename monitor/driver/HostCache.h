#pragma once
// The host's memory image is the driver's cache: bit 15 of a byte's attribute word
// marks the byte as holding the target's value.

#include "monitor/driver/HostLinks.h"

namespace kx6500mon {

// XDATA, internal RAM and special function registers: stale after every run or step.
void InvalidateDataCache(const HostLinks& host);
// Program memory: stale after a run or step only when the user asks for it.
void InvalidateCodeCache(const HostLinks& host);

}  // namespace kx6500mon
