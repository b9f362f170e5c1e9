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
    static constexpr const char* kFilter = "Tessar Files (*.tsy);;All Files (*)";

    CTessaryDoc(MessageSink& messages, FileChooser& files, QtSettingsStore& profile);

    TessaryDocument& Document() { return document_; }
    CDeviceDlg& DeviceDialog() { return deviceDialog_; }
    CPortDlg& PortDialog() { return portDialog_; }
    const std::string& Path() const { return path_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Each false when the person cancelled or the file failed (with its message shown).
    bool SaveModified();
    bool OnNew();
    bool OnOpen();
    bool Open(const std::string& path);
    bool OnSave();
    bool OnSaveAs();
    QStringList RecentFiles() const;

private:
    bool Write(const std::string& path);
    void AddRecent(const std::string& path);

    MessageSink& messages_;
    FileChooser& files_;
    QtSettingsStore& profile_;
    TessaryDocument document_;
    CDeviceDlg deviceDialog_;
    CPortDlg portDialog_;
    std::string path_;
    std::string title_;
};

}  // namespace tessary
