#pragma once
// The library's process-wide objects, for C++ callers in this project (the studio's
// message boxes, tests that look at the virtual port).

#include "common/MessageSink.h"
#include "sim/VirtualPort.h"

namespace lptlink {

// Message boxes raised inside the library go here; nullptr restores standard error.
__attribute__((visibility("default"))) void SetMessageSink(tessary::MessageSink* sink);
// The sink SetMessageSink installed last, or nullptr for standard error.
__attribute__((visibility("default"))) tessary::MessageSink* InstalledMessageSink();
// The virtual port while the library runs on it, else nullptr.
__attribute__((visibility("default"))) sim::VirtualPort* ProcessVirtualPort();

}  // namespace lptlink
