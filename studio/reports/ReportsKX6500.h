#pragma once
// The KX6500's "Print re&gisters to file": a C initialisation table for the 8051
// firmware, and its settings report.

#include <string>

#include "studio/config/CConfigViewKX6500.h"

namespace tessary {

// PLL and CURRENT are computed for RX and TX from the form's values; the slots are
// only read.
std::string SettingsTableKX6500(const KX6200Block& form, const CRegister& registers, double divider,
                                double dividerTx);

bool PrintSettingsKX6500(const CConfigViewKX6500& form, const std::string& path, std::string& error);
// Writes the C table; PLL and CURRENT are left as the form's own mode has them.
bool PrintRegistersKX6500(CConfigViewKX6500& form, const std::string& path, std::string& error);

}  // namespace tessary
