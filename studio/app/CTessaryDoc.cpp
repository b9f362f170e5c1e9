#include "studio/app/CTessaryDoc.h"

#include <QFileInfo>

#include "common/FileIo.h"

namespace tessary {

namespace {
constexpr int kRecentCount = 3;
}

CTessaryDoc::CTessaryDoc(MessageSink& messages, FileChooser& files, QtSettingsStore& profile)
    : messages_(messages), files_(files), profile_(profile), deviceDialog_(document_, profile),
      portDialog_(profile) {
    document_.OnNewDocument();
}

bool CTessaryDoc::SaveModified() {
    if (!document_.modified) return true;
    const std::string name = path_.empty() ? (title_.empty() ? "Untitled" : title_) : path_;
    switch (messages_.AskYesNoCancel({"Save changes to " + name + "?", "Tessary Studio", MessageIcon::Exclamation})) {
        case MessageSink::Answer::Yes: return OnSave();
        case MessageSink::Answer::No: return true;
        case MessageSink::Answer::Cancel: return false;
    }
    return false;
}

bool CTessaryDoc::OnNew() {
    if (!SaveModified()) return false;
    document_.OnNewDocument();
    path_.clear();
    document_.UpdateAllViews();
    return true;
}

bool CTessaryDoc::OnOpen() {
    const auto path = files_.OpenFile(QStringLiteral("Open"), QString::fromUtf8(kFilter));
    return path && Open(*path);
}

bool CTessaryDoc::Open(const std::string& path) {
    // Reopening the document itself with unsaved changes reloads it from the file.
    if (!SaveModified()) return false;
    std::vector<std::uint8_t> bytes;
    std::string error;
    const bool ok = ReadWholeFile(path, bytes, error) && document_.Load(bytes, error);
    document_.UpdateAllViews();
    if (!ok) {
        messages_.Show({"Unable to open " + path + ".\n" + error, "Tessary Studio", MessageIcon::Exclamation});
        return false;
    }
    path_ = path;
    AddRecent(path);
    document_.modified = false;
    return true;
}

bool CTessaryDoc::OnSave() { return path_.empty() ? OnSaveAs() : Write(path_); }

bool CTessaryDoc::OnSaveAs() {
    const auto path = files_.SaveFile(QStringLiteral("Save As"), QString::fromUtf8(kFilter), QStringLiteral("tsy"),
                                      Q(path_.empty() ? title_ : path_));
    return path && Write(*path);
}

bool CTessaryDoc::Write(const std::string& path) {
    std::string error;
    if (!WriteWholeFile(path, document_.SaveBytes(), error)) {
        messages_.Show({error, "Tessary Studio", MessageIcon::Exclamation});
        return false;
    }
    path_ = path;
    document_.modified = false;
    AddRecent(path);
    return true;
}

QStringList CTessaryDoc::RecentFiles() const {
    QStringList files;
    for (int i = 1; i <= kRecentCount; ++i) {
        const QString f = profile_.Settings().value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!f.isEmpty()) files << f;
    }
    return files;
}

void CTessaryDoc::AddRecent(const std::string& path) {
    const QString full = QFileInfo(Q(path)).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(full);
    files.prepend(full);
    while (files.size() > kRecentCount) files.removeLast();
    for (int i = 0; i < kRecentCount; ++i)
        profile_.Settings().setValue(QStringLiteral("Recent File List/File%1").arg(i + 1),
                                     i < files.size() ? files[i] : QString());
}

}  // namespace tessary
