#pragma once
// The reports of the KX400/KX900 form: the settings report from CConfig and the form's
// component texts, and the register listing of the eight frames for every mode. The
// demonstration-board programmer reads the listing back by byte position, so its
// layout is fixed to the byte.

#include <optional>
#include <string>
#include <vector>

#include "studio/config/CConfig.h"
#include "studio/config/CConfigView.h"
#include "studio/config/CRegister.h"

namespace tessary {

std::string SettingsReportKX400(const CConfig& config, const std::vector<ComponentText>& components);

// One block of the listing: the mode's heading, the column line, frames A to H as the
// 16-bit words sent on the wire, an empty line.
std::string ListingBlockKX400(int mode, const CTmpReg& frames);

// The blocks of the modes RX to RX precharging, each computed by the form with that
// mode (its messages shown); nothing when a mode's calculation fails.
std::optional<std::string> RegisterListingKX400(CConfigView& form);

bool PrintSettingsKX400(const CConfigView& form, const std::string& path, std::string& error);
// A listing that cannot be computed leaves the file as it was.
bool PrintRegistersKX400(CConfigView& form, const std::string& path, std::string& error);

}  // namespace tessary
