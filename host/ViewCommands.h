#pragma once
// The "view" commands: the display plug-in's views opened and closed through its menu
// table, and their windows' controls (found by object name) shown as JSON and
// operated as a person would.

#include "host/HostSession.h"

namespace kxdebug {

void AddViewCommands(HostSession& session);

}  // namespace kxdebug
