#pragma once
// Whether Qt would find a display for the platform the environment asks for. Creating
// a QApplication without one aborts the process, which a library must never do to its
// caller.

#include <string>
#include <vector>

namespace lptlink {

// The platforms Qt tries, in order, for the environment: QT_QPA_PLATFORM's list, or
// the one it picks by itself.
std::vector<std::string> PlatformsQtTries();

// True when a window can be shown; otherwise why not, in a few words.
bool DisplayAvailable(std::string& why);

}  // namespace lptlink
