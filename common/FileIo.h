#pragma once
// Whole-file reads and writes with readable errors. A write goes to a temporary file
// beside the target and is renamed over it, so a failed write never leaves a
// half-written file where the old one was. Otherwise it behaves as writing the file in
// place would: through a symbolic link it replaces the file the link points to (the
// link stays), a read-only file is refused, and the replaced file keeps its mode.

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace tessary
