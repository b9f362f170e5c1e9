#include "studio/config/CDeviceDlg.h"

namespace tessary {

namespace {
constexpr const char* kSection = "Settings";
constexpr const char* kKey = "DeviceDefault";
}  // namespace

void CDeviceDlg::OnOpen() {
    if (selection_) return;
    const int stored = settings_.ReadInt(kSection, kKey, 1);
    if (DeviceFromListIndex(stored)) selection_ = stored;
}

void CDeviceDlg::Select(std::optional<int> listIndex) {
    selection_ = listIndex && DeviceFromListIndex(*listIndex) ? listIndex : std::nullopt;
}

void CDeviceDlg::SetAsDefault() {
    if (selection_) settings_.WriteInt(kSection, kKey, *selection_);
}

bool CDeviceDlg::OnOK(DeviceSelectionHost& host) {
    if (!selection_) return false;
    const DeviceKind device = *DeviceFromListIndex(*selection_);
    host.ShowConfigurationView(device);
    host.SetDocumentTitle(DeviceName(device));
    settings_.WriteInt(kSection, kKey, *selection_);
    document_.config.kx400.deviceNumber = DeviceNumber(device);
    document_.config.Reset();
    document_.UpdateAllViews();
    document_.settingsApplied = false;
    return true;
}

}  // namespace tessary
