#include "studio/board/CPortDlg.h"

namespace tessary {

namespace {
constexpr const char* kSection = "Settings";
constexpr const char* kKey = "Port address";
}  // namespace

void CPortDlg::OnOpen() {
    if (selection_) return;
    const int stored = settings_.ReadInt(kSection, kKey, 0x378);
    for (int i = 0; i < 3; ++i)
        if (kAddresses[static_cast<std::size_t>(i)] == stored) selection_ = i;
}

void CPortDlg::Select(std::optional<int> index) {
    selection_ = index && *index >= 0 && *index < 3 ? index : std::nullopt;
}

void CPortDlg::SetAsDefault() {
    // With nothing selected there is no address to store.
    if (selection_) settings_.WriteInt(kSection, kKey, kAddresses[static_cast<std::size_t>(*selection_)]);
}

void CPortDlg::OnOK(CRegister& registers) {
    if (selection_) registers.SetBaseAddress(kAddresses[static_cast<std::size_t>(*selection_)]);
}

}  // namespace tessary
