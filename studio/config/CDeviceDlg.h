#pragma once
// The "Device Setting" dialog without its window: which device is selected, the
// profile's default, and what OK does to the document.

#include <optional>
#include <string_view>

#include "studio/config/DeviceKind.h"
#include "studio/config/SettingsStore.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

// What the dialog asks of the main frame on OK.
class DeviceSelectionHost {
public:
    virtual ~DeviceSelectionHost() = default;
    virtual void ShowConfigurationView(DeviceKind device) = 0;
    virtual void SetDocumentTitle(std::string_view title) = 0;
};

class CDeviceDlg {
public:
    static constexpr const char* kText = "Please Select a device to evaluate under Tessary Studio.";

    CDeviceDlg(TessaryDocument& document, SettingsStore& settings) : document_(document), settings_(settings) {}

    // Called each time the dialog opens: without a selection it preselects "DeviceDefault".
    void OnOpen();
    std::optional<int> Selection() const { return selection_; }
    void Select(std::optional<int> listIndex);
    void SetAsDefault();
    // Selects the device; false (and nothing changed) while no entry is selected.
    bool OnOK(DeviceSelectionHost& host);

private:
    TessaryDocument& document_;
    SettingsStore& settings_;
    std::optional<int> selection_;
};

}  // namespace tessary
