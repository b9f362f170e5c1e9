#pragma once
// The KX6300's reports: the settings report from CConfig and the form's component
// texts, and the register listing with MAIN for each of the five modes.

#include <string>
#include <vector>

#include "studio/config/CConfig.h"
#include "studio/config/CConfigView_KX6300.h"
#include "studio/config/CRegister.h"

namespace tessary {

std::string SettingsReportKX6300(const CConfig& config, const std::vector<ComponentText>& components);

// MAIN is computed for each mode with the form's active frequency; the register set is
// only read.
std::string RegisterListingKX6300(const KX6300Block& form, const CRegister& registers);

// "Print s&ettings to file" and "Print re&gisters to file" of the KX6300 form. The
// register command leaves MAIN as the form's own mode has it.
bool PrintSettingsKX6300(const CConfigView_KX6300& form, const std::string& path, std::string& error);
bool PrintRegistersKX6300(CConfigView_KX6300& form, const std::string& path, std::string& error);

}  // namespace tessary
