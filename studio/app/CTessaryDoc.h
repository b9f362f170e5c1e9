#pragma once
// The document's file side: New, Open, Save, Save As with the 264-byte file, the
// unsaved-changes question and the three recent files.

#include <QStringList>
#include <string>

#include "common/MessageSink.h"
#include "studio/app/QtSeams.h"
#include "studio/board/CPortDlg.h"
#include "studio/config/CDeviceDlg.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

class CTessaryDoc {
public:
    // The document template's resource string: window title, default document name
    // (none), new-file name, file filter, extension, shell type identifier and name.
    static constexpr const char* kTemplate =
        "Tessary Studio 4.00\n\nTSYDK\nTessar Files (*.tsy)\n.tsy\nTessaryDevKit.Configuration\nTessary Config";
    enum class TemplatePart { WindowTitle, DocName, FileNewName, FilterName, FilterExt, RegFileTypeId, RegFileTypeName };
    static std::string TemplateString(TemplatePart part);
    // Without a default document name a new document is called this.
    static constexpr const char* kUntitled = "Untitled";

    CTessaryDoc(MessageSink& messages, FileChooser& files, QtSettingsStore& profile);

    TessaryDocument& Document() { return document_; }
    CDeviceDlg& DeviceDialog() { return deviceDialog_; }
    CPortDlg& PortDialog() { return portDialog_; }
    const std::string& Path() const { return path_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Each false when the person cancelled or the file failed (with its message shown).
    // A file that fails to open leaves the document as New does: reset, untitled and
    // without a path, so that the next Save asks for a name instead of writing the
    // reset parameters over the file opened before.
    bool SaveModified();
    bool OnNew();
    bool OnOpen();
    bool Open(const std::string& path);
    bool OnSave();
    bool OnSaveAs();
    QStringList RecentFiles() const;

private:
    bool Write(const std::string& path);
    void Untitled();
    void AddRecent(const std::string& path);

    MessageSink& messages_;
    FileChooser& files_;
    QtSettingsStore& profile_;
    TessaryDocument document_;
    CDeviceDlg deviceDialog_;
    CPortDlg portDialog_;
    std::string path_;
    std::string title_ = kUntitled;
};

}  // namespace tessary
