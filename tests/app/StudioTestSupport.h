#pragma once
// What the studio's window tests share: file dialogs answered from a script, the
// folder of the programs, whole-file reads.

#include <QFile>
#include <QString>
#include <deque>
#include <optional>
#include <string>

#include "studio/app/QtSeams.h"

namespace tessary::studiotest {

class ScriptedFiles : public FileChooser {
public:
    std::deque<std::string> answers;
    int saveAsked = 0;
    std::optional<std::string> OpenFile(const QString&, const QString&) override { return Next(); }
    std::optional<std::string> SaveFile(const QString&, const QString&, const QString&, const QString&) override {
        ++saveAsked;
        return Next();
    }

private:
    std::optional<std::string> Next() {
        if (answers.empty()) return std::nullopt;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
};

inline QString BinDir() { return qEnvironmentVariable("TESSARY_BIN"); }

inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace tessary::studiotest
