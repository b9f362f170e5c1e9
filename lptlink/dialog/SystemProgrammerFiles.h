#pragma once
// Files of the programmer dialog on this machine, and the Qt file chooser for HEX files.

#include <QWidget>

#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

class SystemProgrammerFiles : public ProgrammerFiles {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    bool Exists(const std::string& path) override;
    std::string FullPath(const std::string& path) override;
    void ChangeDirectory(const std::string& folder) override;
    std::optional<std::string> Choose(bool save, const std::string& start) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace lptlink
