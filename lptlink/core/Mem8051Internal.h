#pragma once
// What the HEX reader shares with the memory image beyond the public functions.

#include "lptlink/lptlink.h"

// Marks the page of an address as used; data past the flag table has no flag.
void lptlinkMarkPage(Mem8051* m, unsigned address);
