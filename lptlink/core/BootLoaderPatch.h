#pragma once
// Images that carry the KX6500 boot loader get the serial timing of the clock they will
// run at, the way the programmer prepares every image it reads from a file.

#include "lptlink/lptlink.h"

namespace lptlink {

// True when the image held the boot loader and was patched.
bool BootLoaderPatch(Mem8051& mem, double clockMHz);

}  // namespace lptlink
