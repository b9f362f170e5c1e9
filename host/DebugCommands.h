#pragma once
// The debugging commands of kx6500-debug against the monitor plug-in: memory, registers,
// the register page, breakpoints, run and step, and the cache.

namespace kxdebug {

class HostSession;

// Adds the commands to the session's table; the session must have a monitor loaded.
// The host's breakpoint entries live as long as the session's command table.
void AddDebugCommands(HostSession& session);

}  // namespace kxdebug
