#pragma once
// The reports of the KX6200/KX6500 family: the settings report from CConfig and the
// form's component texts, and the KX6200 register listing for every mode.

#include <string>
#include <vector>

#include "studio/config/CConfig.h"
#include "studio/config/CConfigViewKX6200.h"
#include "studio/config/CRegister.h"

namespace tessary {

enum class KX6200Family { KX6200, KX6500 };

std::string SettingsReportKX6200(const CConfig& config, const std::vector<ComponentText>& components,
                                 KX6200Family device = KX6200Family::KX6200);

// Mode-dependent registers are computed for each mode from the form's values; the
// register set is only read.
std::string RegisterListingKX6200(const KX6200Block& form, const CRegister& registers, double divider,
                                  double dividerTx);

// "Print s&ettings to file" and "Print re&gisters to file" of the KX6200 form. The
// register command leaves MAIN, CURRENT and PLL as the form's own mode has them.
bool PrintSettingsKX6200(const CConfigViewKX6200& form, const std::string& path, std::string& error);
bool PrintRegistersKX6200(CConfigViewKX6200& form, const std::string& path, std::string& error);

}  // namespace tessary
