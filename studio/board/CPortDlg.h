#pragma once
// The "Port Setting" dialog without its window: three fixed port addresses, the
// profile's "Port address", and the base address of the shared port on OK.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "studio/config/CRegister.h"
#include "studio/config/SettingsStore.h"

namespace tessary {

class CPortDlg {
public:
    static constexpr std::array<std::string_view, 3> kEntries = {"0x278", "0x378", "0x3cb"};
    static constexpr std::array<std::uint16_t, 3> kAddresses = {0x278, 0x378, 0x3CB};

    explicit CPortDlg(SettingsStore& settings) : settings_(settings) {}

    // Called each time the dialog opens: without a selection it selects the stored
    // "Port address" when that is one of the three.
    void OnOpen();
    std::optional<int> Selection() const { return selection_; }
    void Select(std::optional<int> index);
    // Stores the selected address as the default; changes nothing in use.
    void SetAsDefault();
    // Takes the selection over and moves the shared port to it.
    void OnOK(CRegister& registers);

private:
    SettingsStore& settings_;
    std::optional<int> selection_;
};

}  // namespace tessary
