#include "studio/config/DeviceKind.h"

#include <cctype>

namespace tessary {

namespace {
struct DeviceRow {
    DeviceKind kind;
    std::string_view name;
    double number;
};
constexpr std::array<DeviceRow, kDeviceCount> kDevices = {{
    {DeviceKind::KX400, "KX400", 4},
    {DeviceKind::KX900, "KX900", 9},
    {DeviceKind::KX6200, "KX6200", -1},
    {DeviceKind::KX6300, "KX6300", -1},
    {DeviceKind::KX6500, "KX6500", -1},
}};
}  // namespace

std::string_view DeviceName(DeviceKind kind) { return kDevices[ListIndex(kind)].name; }

double DeviceNumber(DeviceKind kind) { return kDevices[ListIndex(kind)].number; }

std::optional<DeviceKind> DeviceFromListIndex(int index) {
    if (index < 0 || index >= kDeviceCount) return std::nullopt;
    return kDevices[index].kind;
}

std::optional<DeviceKind> DeviceFromName(std::string_view name) {
    for (const auto& row : kDevices) {
        if (row.name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(name[i])) == row.name[i];
        if (same) return row.kind;
    }
    return std::nullopt;
}

}  // namespace tessary
