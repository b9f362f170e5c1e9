#pragma once
// The fifteen views and the menu that opens them: per view its class, dialog id, title,
// the pre-check of its committed texts, and how it is made. A view not built yet is
// an empty PeripheralView with its title (it shows no controls).

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "display/core/PeripheralView.h"

namespace kx6500disp {

using ViewFactory = std::unique_ptr<PeripheralView> (*)(SfrAccess&, Notifier&, Precheck);

struct ViewInfo {
    std::string_view name;       // short name (the host's "view" commands, pictures)
    std::string_view className;  // CRadioModemDlg
    std::string_view title;      // the dialog's title
    std::uint32_t dialogId;
    Precheck precheck;
    bool restoresPosition;       // centred at first, then where it was closed
    ViewFactory create;
};

inline constexpr std::size_t kViewCount = 15;

// In menu-table order: the order of the update-all entry and of detach.
const std::array<ViewInfo, kViewCount>& Views();

// One line of the menu table: kind (MENU_*), caption, and the view it opens (-1 none).
struct MenuLine {
    std::uint32_t kind;
    const char* caption;
    int view;
};
const std::vector<MenuLine>& MenuLayout();

}  // namespace kx6500disp
