#pragma once
// The Qt side of the seams: message boxes, the per-user profile, file dialogs.

#include <QSettings>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "common/MessageSink.h"
#include "studio/config/SettingsStore.h"

namespace tessary {

class QtMessageSink : public MessageSink {
public:
    void Show(const UserMessage& message) override;
    bool Ask(const UserMessage& question) override;
    Answer AskYesNoCancel(const UserMessage& question) override;
};

// The studio's profile: QSettings("Norvane", "Tessary Studio"); sections become groups.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore() : settings_("Norvane", "Tessary Studio") {}
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    QSettings& Settings() { return settings_; }

private:
    mutable QSettings settings_;
};

// Files the person chooses in a dialog.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<std::string> OpenFile(const QString& caption, const QString& filter) = 0;
    virtual std::optional<std::string> SaveFile(const QString& caption, const QString& filter,
                                                const QString& defaultSuffix, const QString& suggested) = 0;
};

class QtFileChooser : public FileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> OpenFile(const QString& caption, const QString& filter) override;
    std::optional<std::string> SaveFile(const QString& caption, const QString& filter, const QString& defaultSuffix,
                                        const QString& suggested) override;

private:
    QWidget* parent_;
};

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace tessary
