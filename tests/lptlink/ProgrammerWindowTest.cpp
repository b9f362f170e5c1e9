// The programmer window on the offscreen platform with real worker threads, the
// library's own transaction and the virtual KX6500 (its flash kept in a file), boxes
// recorded, settings in memory; and lptlinkProgramDialog inside this QApplication.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <thread>

#include "lptlink/dialog/DisplayProbe.h"
#include "lptlink/dialog/ExportedProgrammer.h"
#include "lptlink/dialog/ProgrammerWindow.h"
#include "lptlink/dialog/QtProgrammerSettings.h"
#include "lptlink/dialog/SystemProgrammerFiles.h"
#include "lptlink/lptlink.h"
#include "tests/lptlink/ProgrammerFakes.h"

using namespace lptlink;
using lptlink::testing::MemoryProgrammerSettings;
using lptlink::testing::RecordingBoxes;

namespace {

// The worker's run has ended and the window has taken its outcome.
#define WAIT_IDLE() QTRY_VERIFY_WITH_TIMEOUT(!window_->Model().Busy(), 60000)

constexpr const char* kAborted = "User aborted action!\nDevice in unknown state.";

std::vector<unsigned char> Flash() {
    QFile file(qEnvironmentVariable("LPTLINK_SIM_FLASH"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

}  // namespace

class ProgrammerWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir files_;
    ExportedProgrammer device_;
    SystemProgrammerFiles disk_;
    MemoryProgrammerSettings settings_;
    RecordingBoxes boxes_;
    std::thread::id mainThread_ = std::this_thread::get_id();
    std::unique_ptr<ProgrammerWindow> window_;

    // A HEX file of `pages` pages of a pattern.
    QString HexFile(const QString& name, int pages, int seed = 0) {
        const QString path = files_.filePath(name);
        auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
        Mem8051Init(mem, 7);
        for (int p = 0; p < pages; ++p) {
            unsigned char page[128];
            for (int i = 0; i < 128; ++i) page[i] = static_cast<unsigned char>(p * 17 + i * 3 + seed);
            lptlinkWriteTo8051Mem(mem, page, p * 128, 128);
        }
        const bool written = lptlinkWriteHexFile(mem, QFile::encodeName(path).constData()) == 0;
        Mem8051Destroy(mem);
        std::free(mem);
        return written ? path : QString();
    }
    ProgrammerWindow& Open(const ProgrammerPresets& presets) {
        window_ = std::make_unique<ProgrammerWindow>(ProgrammerWindow::Seams{device_, settings_, disk_, boxes_},
                                                     presets, true);
        window_->Open();
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the window did not become active");
        return *window_;
    }
    ProgrammerWindow& OpenOn(const QString& file, int action = 0) {
        ProgrammerPresets p;
        p.file = QFile::encodeName(file).toStdString();
        p.action = action;
        return Open(p);
    }
    template <typename T>
    T* Child(const char* name) {
        return window_->findChild<T*>(QLatin1String(name));
    }
    QString Status() { return Child<QLabel>("status")->text(); }
    // The page of the status "Programming Memory. (Page 0x%02X)", or -1.
    int ShownPage() {
        const QString prefix = QStringLiteral("Programming Memory. (Page 0x");
        const QString status = Status();
        return status.startsWith(prefix) ? status.mid(prefix.size(), 2).toInt(nullptr, 16) : -1;
    }
    // The highest page of the virtual chip that holds the test pattern of `seed`.
    int LastProgrammedPage(int seed) {
        const std::vector<unsigned char> flash = Flash();
        int last = -1;
        for (int p = 0; p < 256 && flash.size() == 0x8000; ++p) {
            bool same = true;
            for (int i = 0; i < 128; ++i)
                same = same && flash[static_cast<std::size_t>(p * 128 + i)] == ((p * 17 + i * 3 + seed) & 0xFF);
            if (same) last = p;
        }
        return last;
    }

private slots:
    void initTestCase() {
        QVERIFY(files_.isValid());
        QFile::remove(qEnvironmentVariable("LPTLINK_SIM_FLASH"));
        QVERIFY(lptlinkInit() == 1);
    }
    void cleanupTestCase() { lptlinkRelease(); }
    void init() {
        boxes_.boxes.clear();
        settings_ = {};
    }
    void cleanup() { window_.reset(); }

    void opensWithItsControlsAndTexts() {
        ProgrammerWindow& w = Open({});
        QCOMPARE(w.windowTitle(), QStringLiteral("Norvane KX6500 Flash Programmer"));
        QStringList labels;
        for (auto* label : w.findChildren<QLabel*>()) labels << label->text();
        for (const char* text : {"HEX-file:", "Parallel port:", "Device Clock Frequency (MHz):", "Memory Write Protection:",
                                 "Device ID:", "Lock Status:"})
            QVERIFY2(labels.contains(QLatin1String(text)), text);
        QStringList groups;
        for (auto* group : w.findChildren<QGroupBox*>()) groups << group->title();
        QCOMPARE(groups, (QStringList{"Action to Perform", "Memory Lock Options", "Device Information"}));
        QCOMPARE(Child<QRadioButton>("action0")->text(), QStringLiteral("Erase, &Program && Verify"));
        QCOMPARE(Child<QRadioButton>("action3")->text(),
                 QStringLiteral("&Read Program Memory from Device and Write to HEX File"));
        QVERIFY(Child<QRadioButton>("action0")->isChecked());
        auto* clock = Child<QComboBox>("clockList");
        QCOMPARE(clock->count(), 13);
        QCOMPARE(clock->itemText(1), QStringLiteral("3.6864"));
        QCOMPARE(clock->currentText(), QStringLiteral("14.7456"));
        QCOMPARE(Child<QComboBox>("portList")->currentText(), QStringLiteral("LPT1"));
        QCOMPARE(Child<QComboBox>("writeProtection")->currentText(), QStringLiteral("All Memory Unlocked"));
        QCOMPARE(Status(), QStringLiteral("Ready."));
        QCOMPARE(Child<QLabel>("status")->font().weight(), QFont::Bold);
        QCOMPARE(Child<QProgressBar>("progress")->maximum(), 100);
        QCOMPARE(Child<QLineEdit>("deviceId")->text(), QStringLiteral("-"));
        QCOMPARE(Child<QPushButton>("exit")->text(), QStringLiteral("Exit"));
        QVERIFY(Child<QPushButton>("doIt")->isDefault());
        // No stored settings: the empty file edit has the focus.
        QVERIFY(Child<QLineEdit>("fileEdit")->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), Child<QLineEdit>("fileEdit"));

        // The buttons of the action group move the enabling.
        Child<QRadioButton>("action4")->click();
        QVERIFY(!Child<QLineEdit>("fileEdit")->isEnabled());
        QVERIFY(!Child<QPushButton>("browse")->isEnabled());
        QVERIFY(!Child<QGroupBox>("lockGroup")->isEnabled());
        QVERIFY(!Child<QCheckBox>("bootBlock")->isEnabled());
        Child<QRadioButton>("action2")->click();
        QVERIFY(Child<QLineEdit>("fileEdit")->isEnabled());
        QVERIFY(!Child<QCheckBox>("readProtect")->isEnabled());
        Child<QRadioButton>("action1")->click();
        QVERIFY(Child<QCheckBox>("readProtect")->isEnabled());

        // Typed text reaches the model; "Get From Device" asks the virtual chip.
        Child<QComboBox>("clockList")->setEditText(QStringLiteral("10"));
        Child<QPushButton>("getFromDevice")->click();
        QCOMPARE(Child<QComboBox>("clockList")->currentText(), QStringLiteral("10.0000"));
        QCOMPARE(Child<QLineEdit>("deviceId")->text(), QStringLiteral("01: Norvane KX6500 (Rev 1)"));
        QCOMPARE(Child<QPlainTextEdit>("lockStatus")->toPlainText(),
                 QStringLiteral("No Read Lock, No boot write lock,\nUpper 0 bytes write locked."));
        QCOMPARE(Status(), QStringLiteral("Device information successfully obtained!"));

        Child<QComboBox>("clockList")->setEditText(QStringLiteral("2.5"));
        Child<QPushButton>("getFromDevice")->click();
        QCOMPARE(boxes_.boxes.size(), std::size_t{1});
        QCOMPARE(boxes_.boxes[0].message.caption, std::string("Input Error!"));
        QCOMPARE(Child<QComboBox>("clockList")->lineEdit()->selectedText(), QStringLiteral("2.5"));
    }

    void programsOnTheWorkerAndStoresTheSettings() {
        const QString file = HexFile(QStringLiteral("twenty.hex"), 20);
        ProgrammerWindow& w = OpenOn(file);
        QList<int> percents;
        connect(Child<QProgressBar>("progress"), &QProgressBar::valueChanged, this, [&](int v) { percents << v; });
        QTRY_COMPARE(QApplication::focusWidget(), Child<QPushButton>("doIt"));
        QTest::keyClick(&w, Qt::Key_Return);  // "Do It" is the default button
        QVERIFY(w.Model().Busy());
        QCOMPARE(Child<QPushButton>("exit")->text(), QStringLiteral("Abort"));
        QVERIFY(!Child<QPushButton>("doIt")->isEnabled());
        QVERIFY(!Child<QLineEdit>("fileEdit")->isEnabled());
        QVERIFY(!Child<QGroupBox>("actionGroup")->isEnabled());
        QVERIFY(!Child<QPushButton>("getFromDevice")->isEnabled());
        WAIT_IDLE();
        QCOMPARE(Status(), QStringLiteral("Operation completed successfully!"));
        QCOMPARE(Child<QProgressBar>("progress")->value(), 0);
        QCOMPARE(Child<QPushButton>("exit")->text(), QStringLiteral("Exit"));
        QVERIFY(Child<QPushButton>("doIt")->isEnabled());
        QVERIFY(w.isVisible());
        QCOMPARE(w.Model().Result(), 1);
        QVERIFY(boxes_.boxes.empty());
        // The progress arrived while the worker ran: programming up to 57 %, verifying up to 98 %.
        QVERIFY2(percents.size() > 5, qPrintable(QString::number(percents.size())));
        QVERIFY(percents.contains(57) || percents.contains(98));
        int highest = 0;
        for (int v : percents) highest = std::max(highest, v);
        QCOMPARE(highest, 98);
        const std::vector<unsigned char> flash = Flash();
        QCOMPARE(flash.size(), std::size_t{0x8000});
        QCOMPARE(int(flash[19 * 128 + 5]), (19 * 17 + 5 * 3) & 0xFF);
        QCOMPARE(int(flash[20 * 128]), 0xFF);
        QCOMPARE(settings_.stored.hexFile, QFile::encodeName(file).toStdString());
        QCOMPARE(settings_.stored.port, std::optional<std::int64_t>(1));
        QCOMPARE(ClockFromBytes(*settings_.stored.clockBytes), std::optional<float>(14.7456f));
        QTRY_COMPARE(QApplication::focusWidget(), Child<QPushButton>("doIt"));
    }

    void abortEndsAtTheNextPageWithoutABox() {
        const QString file = HexFile(QStringLiteral("sixty.hex"), 60, 1);
        ProgrammerWindow& w = OpenOn(file, 2);
        Child<QPushButton>("doIt")->click();
        QTRY_COMPARE(QApplication::focusWidget(), Child<QPushButton>("exit"));
        QTRY_VERIFY_WITH_TIMEOUT(ShownPage() >= 5, 20000);
        const int shown = ShownPage();
        Child<QPushButton>("exit")->click();
        WAIT_IDLE();
        QCOMPARE(Status(), QString::fromLatin1(kAborted));
        QVERIFY(boxes_.boxes.empty());
        QVERIFY(w.isVisible());
        QCOMPARE(w.Model().Result(), 0);
        QVERIFY(!settings_.stored.keyExists);
        // The page shown at the click was being written; the run ended at the report of the
        // next one (or of the one after, when that report was already on its way).
        const int last = LastProgrammedPage(1);
        QVERIFY2(last >= shown && last <= shown + 2, qPrintable(QStringLiteral("%1 %2").arg(shown).arg(last)));
        QVERIFY(last < 59);
    }

    void escapeAndTheCloseButtonAbortWhileBusy() {
        const QString file = HexFile(QStringLiteral("sixty.hex"), 60, 2);
        ProgrammerWindow& w = OpenOn(file, 2);
        Child<QPushButton>("doIt")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Status().startsWith(QStringLiteral("Programming Memory.")), 20000);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        WAIT_IDLE();
        QCOMPARE(Status(), QString::fromLatin1(kAborted));
        QVERIFY(w.isVisible());

        Child<QPushButton>("doIt")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Status().startsWith(QStringLiteral("Programming Memory.")), 20000);
        QVERIFY(!w.close());  // the close button
        QVERIFY(w.isVisible());
        WAIT_IDLE();
        QCOMPARE(Status(), QString::fromLatin1(kAborted));
        QVERIFY(boxes_.boxes.empty());

        QTest::keyClick(&w, Qt::Key_Escape);  // idle: "Exit"
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(w.result(), 0);
    }

    void boxesOfTheWorkerAppearOnTheWindowsThread() {
        const QString good = HexFile(QStringLiteral("good.hex"), 4, 3);
        const QString other = HexFile(QStringLiteral("other.hex"), 4, 4);
        {
            ProgrammerWindow& w = OpenOn(good, 2);
            Child<QPushButton>("doIt")->click();
            WAIT_IDLE();
            QCOMPARE(w.Model().Result(), 1);
            window_.reset();
        }
        ProgrammerWindow& w = OpenOn(other, 3);  // verify against another image
        Child<QPushButton>("doIt")->click();
        WAIT_IDLE();
        QCOMPARE(Status(), QStringLiteral("Verify failed!"));
        QCOMPARE(boxes_.boxes.size(), std::size_t{1});
        QCOMPARE(boxes_.boxes[0].message.text, std::string("Verify failed!"));
        QCOMPARE(boxes_.boxes[0].message.caption, std::string("Error!"));
        QVERIFY(boxes_.boxes[0].thread == mainThread_);

        // The library's own message from the worker: the read's HEX file cannot be written.
        Child<QRadioButton>("action3")->click();
        const QString unwritable = files_.filePath(QStringLiteral("no-such-folder/read.hex"));
        Child<QLineEdit>("fileEdit")->clear();
        QTest::keyClicks(Child<QLineEdit>("fileEdit"), unwritable);  // typed by the person
        Child<QPushButton>("doIt")->click();
        WAIT_IDLE();
        QCOMPARE(boxes_.boxes.size(), std::size_t{2});
        QVERIFY(boxes_.boxes[1].message.text.find("cannot be opened for writing!") != std::string::npos);
        QVERIFY(boxes_.boxes[1].thread == mainThread_);
        QCOMPARE(Status(), QStringLiteral("Unable to write the specified HEX-file."));
        QCOMPARE(w.Model().Result(), 0);
    }

    void storedSettingsInTheUsersConfiguration() {
        const QString conf = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Norvane/Parallel Port SPI Programmer.conf";
        QFile::remove(conf);
        QtProgrammerSettings store;
        QVERIFY(!store.Load().keyExists);
        {
            QSettings raw(QStringLiteral("Norvane"), QStringLiteral("Parallel Port SPI Programmer"));
            QCOMPARE(raw.fileName(), conf);
            raw.setValue("LastUsedHexFile", QStringList{"a", "b"});
            raw.setValue("LastUsedPPort", "two");
            raw.setValue("LastUsedClkFreq", QByteArray("\x01\x02\x03\x04\x05", 5));
        }
        StoredProgrammerSettings wrong = store.Load();
        QVERIFY(wrong.keyExists);
        QVERIFY(!wrong.hexFile);
        QVERIFY(!wrong.port);
        QCOMPARE(wrong.clockBytes->size(), std::size_t{5});
        QVERIFY(!ClockFromBytes(*wrong.clockBytes));  // the wrong size counts as missing

        const std::string path = "/tmp/a folder, with=commas;/x.hex";
        store.StoreHexFile(path);
        store.StorePort(2);
        store.StoreClock(ClockBytes(7.3728f));
        const StoredProgrammerSettings right = store.Load();
        QCOMPARE(right.hexFile, std::optional<std::string>(path));
        QCOMPARE(right.port, std::optional<std::int64_t>(2));
        QCOMPARE(ClockFromBytes(*right.clockBytes), std::optional<float>(7.3728f));
        QSettings raw(QStringLiteral("Norvane"), QStringLiteral("Parallel Port SPI Programmer"));
        QCOMPARE(raw.value("LastUsedClkFreq").typeId(), int(QMetaType::QByteArray));
        QCOMPARE(raw.value("LastUsedClkFreq").toByteArray().size(), 4);
        QVERIFY(QFile::exists(conf));
    }

    void platformsQtWouldTry() {
        const QByteArray saved[] = {qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"), qgetenv("XDG_CURRENT_DESKTOP")};
        struct Case {
            const char* platform;
            const char* session;
            const char* desktop;
            std::vector<std::string> tried;
        };
        const Case cases[] = {
            {"", "", "", {"xcb"}},
            {"", "wayland", "KDE", {"wayland"}},
            {"", "wayland", "ubuntu:GNOME", {"xcb"}},
            {"", "x11", "", {"xcb"}},
            {"wayland-egl:option;xcb", "x11", "", {"wayland-egl", "xcb"}},
            {"offscreen", "wayland", "", {"offscreen"}},
        };
        for (const Case& c : cases) {
            qputenv("QT_QPA_PLATFORM", c.platform);
            qputenv("XDG_SESSION_TYPE", c.session);
            qputenv("XDG_CURRENT_DESKTOP", c.desktop);
            QCOMPARE(PlatformsQtTries(), c.tried);
        }
        qputenv("QT_QPA_PLATFORM", saved[0]);
        qputenv("XDG_SESSION_TYPE", saved[1]);
        qputenv("XDG_CURRENT_DESKTOP", saved[2]);
    }

    void theExportRunsInThisApplicationOneAtATime() {
        const QString conf = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Norvane/Parallel Port SPI Programmer.conf";
        QFile::remove(conf);
        const QByteArray file = QFile::encodeName(HexFile(QStringLiteral("export.hex"), 2, 5));
        int second = 0;
        int fromAnotherThread = 0;
        QTimer::singleShot(50, [&] {
            second = lptlinkProgramDialog(0, 0, file.constData(), 1, 14.7456f, 1, 1, 1, 1, 1, 1, 1);
        });
        std::thread other([&] {
            fromAnotherThread = lptlinkProgramDialog(0, 0, file.constData(), 1, 14.7456f, 1, 1, 1, 1, 1, 1, 1);
        });
        other.join();
        QElapsedTimer timer;
        timer.start();
        const int first = lptlinkProgramDialog(2, 0, file.constData(), 1, 12.0f, 1, 1, 1, 1, 1, 1, 1);
        QCOMPARE(first, 1);
        QVERIFY(timer.elapsed() >= 4000);  // it closed by itself after the run
        QCOMPARE(second, -1);
        QVERIFY(fromAnotherThread == -1);
        QtProgrammerSettings store;
        QCOMPARE(store.Load().hexFile, std::optional<std::string>(file.toStdString()));
        QCOMPARE(ClockFromBytes(*store.Load().clockBytes), std::optional<float>(12.0f));
        QVERIFY(QApplication::instance() != nullptr);  // the caller's application lives on
    }
};

QTEST_MAIN(ProgrammerWindowTest)
#include "ProgrammerWindowTest.moc"
