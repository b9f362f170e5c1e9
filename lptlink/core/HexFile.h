#pragma once
// Intel HEX text to and from a Mem8051 image.

#include <string>
#include <string_view>

#include "lptlink/lptlink.h"

namespace lptlink {

// Reads records into an initialised image; false on a parse error (the image then
// holds what was read so far).
bool ParseHex(std::string_view text, Mem8051& mem);
// The spans as data records of up to 16 bytes and the end record, "\n" line ends.
std::string FormatHex(const Mem8051& mem);

}  // namespace lptlink
