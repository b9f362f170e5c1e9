#pragma once
// The ".tsy" document file: the fields of CConfig, little-endian, no header.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "studio/config/CConfig.h"

namespace tessary {

inline constexpr std::size_t kConfigFileSize = 264;

std::array<std::uint8_t, kConfigFileSize> SerializeConfig(const CConfig& config);

// Reads the first 264 bytes; a shorter file is refused and leaves config untouched.
bool DeserializeConfig(std::span<const std::uint8_t> bytes, CConfig& config, std::string& error);

}  // namespace tessary
