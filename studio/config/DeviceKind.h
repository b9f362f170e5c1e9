#pragma once
// The five transceiver models in the order of the "Device Setting" list.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

enum class DeviceKind { KX400 = 0, KX900 = 1, KX6200 = 2, KX6300 = 3, KX6500 = 4 };

inline constexpr int kDeviceCount = 5;
inline constexpr std::array<DeviceKind, kDeviceCount> kAllDevices = {
    DeviceKind::KX400, DeviceKind::KX900, DeviceKind::KX6200, DeviceKind::KX6300, DeviceKind::KX6500};

// The list entry, which is also the document title.
std::string_view DeviceName(DeviceKind kind);
// 4 for the KX400, 9 for the KX900, -1 for the others.
double DeviceNumber(DeviceKind kind);
inline int ListIndex(DeviceKind kind) { return static_cast<int>(kind); }
std::optional<DeviceKind> DeviceFromListIndex(int index);
// Case-insensitive match on the list entry.
std::optional<DeviceKind> DeviceFromName(std::string_view name);

}  // namespace tessary
