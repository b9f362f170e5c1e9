#pragma once
// The "Info" buttons of the configuration forms: each button's control number maps to
// a string number, and the string holds a title and, after the first line break, the
// help body shown in a box captioned with the title.

#include <optional>
#include <string>

#include "common/MessageSink.h"

namespace tessary {

enum class InfoForm { KX6200, KX6500, KX6300, KX400 };

// Control numbers of the Info buttons, in button order; 0 outside the form's range.
int InfoButtonControl(InfoForm form, int buttonIndex);
int InfoButtonCount(InfoForm form);
// The string number a control number loads; deviceNumber matters only for KX400/KX900.
int InfoStringNumber(InfoForm form, int control, double deviceNumber = -1);
// The text of a string resource ("title\nbody"), if there is one.
std::optional<std::string> LoadHelpString(int stringNumber);
// The box an Info button shows: body, captioned with the title, information icon.
std::optional<UserMessage> InfoMessage(InfoForm form, int buttonIndex, double deviceNumber = -1);

}  // namespace tessary
