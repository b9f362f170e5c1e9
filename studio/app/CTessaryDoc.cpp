#include "studio/app/CTessaryDoc.h"

#include <QFileInfo>

#include "common/FileIo.h"

namespace tessary {

namespace {
constexpr int kRecentCount = 3;

std::string FileName(const std::string& path) { return QFileInfo(Q(path)).fileName().toStdString(); }

QString Filter() { return Q(CTessaryDoc::TemplateString(CTessaryDoc::TemplatePart::FilterName)) + ";;All Files (*)"; }
}  // namespace

std::string CTessaryDoc::TemplateString(TemplatePart part) {
    const std::string_view all = kTemplate;
    std::size_t begin = 0;
    for (int i = 0; i < static_cast<int>(part); ++i) {
        begin = all.find('\n', begin);
        if (begin == std::string_view::npos) return {};
        ++begin;
    }
    const std::size_t end = all.find('\n', begin);
    return std::string(all.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

CTessaryDoc::CTessaryDoc(MessageSink& messages, FileChooser& files, QtSettingsStore& profile)
    : messages_(messages), files_(files), profile_(profile), deviceDialog_(document_, profile),
      portDialog_(profile) {
    document_.OnNewDocument();
}

bool CTessaryDoc::SaveModified() {
    if (!document_.modified) return true;
    const std::string name = path_.empty() ? title_ : path_;
    switch (messages_.AskYesNoCancel({"Save changes to " + name + "?", "Tessary Studio", MessageIcon::Exclamation})) {
        case MessageSink::Answer::Yes: return OnSave();
        case MessageSink::Answer::No: return true;
        case MessageSink::Answer::Cancel: return false;
    }
    return false;
}

bool CTessaryDoc::OnNew() {
    if (!SaveModified()) return false;
    Untitled();
    return true;
}

void CTessaryDoc::Untitled() {
    document_.OnNewDocument();
    path_.clear();
    title_ = kUntitled;
    document_.UpdateAllViews();
}

bool CTessaryDoc::OnOpen() {
    const auto path = files_.OpenFile(QStringLiteral("Open"), Filter());
    return path && Open(*path);
}

bool CTessaryDoc::Open(const std::string& path) {
    // Reopening the document itself with unsaved changes reloads it from the file.
    if (!SaveModified()) return false;
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error) || !document_.Load(bytes, error)) {
        Untitled();
        messages_.Show({"Unable to open " + path + ".\n" + error, "Tessary Studio", MessageIcon::Exclamation});
        return false;
    }
    document_.UpdateAllViews();
    path_ = path;
    title_ = FileName(path);
    AddRecent(path);
    document_.modified = false;
    return true;
}

bool CTessaryDoc::OnSave() { return path_.empty() ? OnSaveAs() : Write(path_); }

bool CTessaryDoc::OnSaveAs() {
    const auto path = files_.SaveFile(QStringLiteral("Save As"), Filter(),
                                      Q(TemplateString(TemplatePart::FilterExt)).mid(1),
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
    title_ = FileName(path);
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
