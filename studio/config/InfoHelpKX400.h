#pragma once
// The help bodies of the KX400/KX900 form's Info buttons, one set per chip.

#include <string_view>

namespace tessary {

// The body of topic 0 to 13 in button order; empty outside that range.
std::string_view KX400HelpBody(int topic, bool kx400);

}  // namespace tessary
