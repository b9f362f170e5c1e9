#include "lptlink/dialog/SystemProgrammerFiles.h"

#include <QFile>
#include <QFileDialog>
#include <filesystem>

namespace lptlink {

namespace fs = std::filesystem;

bool SystemProgrammerFiles::Exists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::exists(path, error);
}

std::string SystemProgrammerFiles::FullPath(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

void SystemProgrammerFiles::ChangeDirectory(const std::string& folder) {
    std::error_code error;
    fs::current_path(folder, error);  // the chooser then opens there; a failure changes nothing
}

std::optional<std::string> SystemProgrammerFiles::Choose(bool save, const std::string& start) {
    QFileDialog dialog(parent_, QString(), QFile::decodeName(QByteArray::fromStdString(start)),
                       QStringLiteral("Hex Files (*.hex);;All Files (*.*)"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("hex"));
    // "Do It" asks before it overwrites a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace lptlink
