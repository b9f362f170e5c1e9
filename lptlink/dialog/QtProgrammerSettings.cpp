#include "lptlink/dialog/QtProgrammerSettings.h"

#include <QFile>
#include <QSettings>

namespace lptlink {

namespace {

const QString kHexFile = QStringLiteral("LastUsedHexFile");
const QString kPort = QStringLiteral("LastUsedPPort");
const QString kClock = QStringLiteral("LastUsedClkFreq");

const QString kOrganization = QStringLiteral("Norvane");
const QString kApplication = QStringLiteral("Parallel Port SPI Programmer");

// A fresh object per use: the settings are read on opening and written after a run,
// and nothing is kept in between.
void Write(const QString& key, const QVariant& value) {
    QSettings settings(kOrganization, kApplication);
    settings.setValue(key, value);
    settings.sync();  // a failure is skipped: there is nobody to tell
}

}  // namespace

StoredProgrammerSettings QtProgrammerSettings::Load() {
    QSettings settings(kOrganization, kApplication);
    StoredProgrammerSettings stored;
    stored.keyExists = settings.contains(kHexFile) || settings.contains(kPort) || settings.contains(kClock);
    const QVariant file = settings.value(kHexFile);
    if (file.typeId() == QMetaType::QString) stored.hexFile = QFile::encodeName(file.toString()).toStdString();
    // A text file keeps numbers as text: a number is an int or a text that reads as one.
    const QVariant port = settings.value(kPort);
    if (port.typeId() == QMetaType::Int || port.typeId() == QMetaType::QString) {
        bool ok = false;
        const int value = port.toString().trimmed().toInt(&ok);
        if (ok) stored.port = value;
    }
    const QVariant clock = settings.value(kClock);
    if (clock.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = clock.toByteArray();
        stored.clockBytes = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    return stored;
}

void QtProgrammerSettings::StoreHexFile(const std::string& path) {
    Write(kHexFile, QFile::decodeName(QByteArray::fromStdString(path)));
}

void QtProgrammerSettings::StorePort(int index) { Write(kPort, index); }

void QtProgrammerSettings::StoreClock(const std::array<std::uint8_t, 4>& bytes) {
    Write(kClock, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

}  // namespace lptlink
