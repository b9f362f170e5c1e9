// The studio's windows on the offscreen platform and the virtual port.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <deque>
#include <functional>
#include <tuple>

#include "lptlink/lptlink.h"
#include "studio/app/CStudioApp.h"
#include "StudioTestSupport.h"
#include "studio/app/ConfigFormWindow.h"

using namespace tessary;
using namespace tessary::studiotest;

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Where a widget sits in another's coordinates.
QPoint At(QWidget* w, QWidget* in) { return w->mapTo(in, QPoint(0, 0)); }

}  // namespace

class StudioTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    RecordingMessageSink messages_;
    ScriptedFiles files_;
    std::unique_ptr<CStudioApp> app_;

    void Start(bool splash) {
        messages_.shown.clear();
        app_ = std::make_unique<CStudioApp>(messages_, files_);
        CStudioApp::Options options;
        options.splash = splash;
        QVERIFY(app_->Startup(options));
        app_->MainFrame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app_->MainFrame()));
    }
    QDialog* DeviceDialogWindow() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("DeviceSetting") && w->isVisible()) return qobject_cast<QDialog*>(w);
        return nullptr;
    }
    void ChooseDevice(int index) {
        QDialog* dialog = DeviceDialogWindow();
        QVERIFY(dialog);
        auto* list = dialog->findChild<QComboBox*>();
        list->setCurrentIndex(index);
        auto* ok = dialog->findChild<QPushButton*>();  // OK comes first
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        ok->click();
    }
    ConfigFormWindow* FormOf(DeviceKind device) {
        return qobject_cast<ConfigFormWindow*>(app_->MainFrame()->Window(device));
    }
    ConfigFormWindow* Form() { return FormOf(DeviceKind::KX6200); }
    QWidget* ToolButton(const char* action) {
        CMainFrame* frame = app_->MainFrame();
        return frame->findChild<QToolBar*>(QStringLiteral("Toolbar"))->widgetForAction(frame->Action(action));
    }
    QPushButton* Button(QWidget* in, const QString& text) {
        for (QPushButton* b : in->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }
    QLineEdit* Edit(FieldId id) { return qobject_cast<QLineEdit*>(Form()->Control(id)); }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        // The profile lives in a folder of this run.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home_.path());
    }
    void cleanup() {
        if (app_) app_->Shutdown();
        app_.reset();
    }

    void startupFailsWithoutAWindowWhenThePortCannotBeUsed() {
        QProcess studio;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LPTLINK_DRIVER"), QStringLiteral("parport"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TESSARY_EXIT_AFTER_SHOW"), QStringLiteral("1"));
        studio.setProcessEnvironment(env);
        studio.start(BinDir() + QStringLiteral("/TessaryDevKit"), {QStringLiteral("--nosplash")});
        QVERIFY(studio.waitForFinished(20000));
        QCOMPARE(studio.exitCode(), 1);
        QVERIFY(!studio.readAllStandardOutput().contains("main window shown"));
        QVERIFY(studio.readAllStandardError().contains("Unable to load the parallel port driver!"));
    }

    void startupReachesDeviceSettingAndTheKX6200Form() {
        Start(true);
        CMainFrame* frame = app_->MainFrame();
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->size(), QSize(CMainFrame::kWidth, CMainFrame::kHeight));
        QCOMPARE(frame->LockField()->text(), QStringLiteral("N/A"));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Untitled - Tessary Studio 4.00 (virtual parallel port)"));
        QVERIFY(app_->Splash());
        QVERIFY(!DeviceDialogWindow());
        QTest::keyClick(frame, Qt::Key_Space);  // any key closes the picture
        QTRY_VERIFY(DeviceDialogWindow());
        QCOMPARE(DeviceDialogWindow()->findChild<QComboBox*>()->currentIndex(), 1);  // DeviceDefault: KX900

        ChooseDevice(2);
        QTRY_VERIFY(!DeviceDialogWindow());
        QVERIFY(frame->ActiveDevice() == DeviceKind::KX6200);
        QCOMPARE(frame->windowTitle(), QStringLiteral("KX6200 - Tessary Studio 4.00 (virtual parallel port)"));
        QCOMPARE(Edit(FieldId::RfA)->text(), QStringLiteral("868.297200"));
        QCOMPARE(app_->Doc()->Document().registers.GetReg(1), 0x75);  // the KX6200's layout, not the KX6500's
        QCOMPARE(app_->Doc()->Document().registers.GetReg(0), 0x11);
        QCOMPARE(Form()->ComponentField("L101")->text(), QStringLiteral("4.7"));
        QVERIFY(!Edit(FieldId::RfB)->isEnabled());
        QVERIFY(!frame->Action(QStringLiteral("save"))->isEnabled());  // cleared by the device selection
        QVERIFY(frame->Action(QStringLiteral("register"))->isEnabled());
        QVERIFY(frame->Action(QStringLiteral("normal"))->isChecked());
        QVERIFY(frame->Action(QStringLiteral("programming"))->isEnabled());  // it goes to the document
    }

    void typingAndEnterRecomputesRefusedValuesStay() {
        Start(false);
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(2);
        QLineEdit* rate = Edit(FieldId::Rate);
        rate->setFocus();
        rate->setText(QStringLiteral("9.6"));
        Edit(FieldId::Ppm)->setText(QStringLiteral("30"));  // each apply warns once
        messages_.shown.clear();
        QTest::keyClick(rate, Qt::Key_Return);
        QCOMPARE(messages_.shown.size(), std::size_t{1});  // Enter applies once
        QCOMPARE(app_->Doc()->Document().config.kx6200.rate, 9.6);
        QCOMPARE(app_->Doc()->Document().registers.GetReg(29), 0x3F);  // TEST4 above 4.8 kBaud

        QLineEdit* sep = Edit(FieldId::Sep);
        sep->setText(QStringLiteral("64 kHz"));
        messages_.shown.clear();
        QTest::keyClick(sep, Qt::Key_Return);
        QCOMPARE(messages_.ShownTexts().front(), std::string("The frequency separation is not a floating point number"));
        QCOMPARE(sep->text(), QStringLiteral("64 kHz"));
        QTRY_VERIFY(sep->hasFocus());
        QCOMPARE(sep->selectedText(), QStringLiteral("64 kHz"));
    }

    void saveFollowsTheSettingsAppliedFlagWithoutAMenuOpening() {
        Start(false);
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(2);
        QVERIFY(!ToolButton("save")->isEnabled());  // a device selection clears the flag
        QLineEdit* rate = Edit(FieldId::Rate);
        rate->setFocus();
        rate->setText(QStringLiteral("4.8"));
        QTest::keyClick(rate, Qt::Key_Return);
        QVERIFY(app_->Doc()->Document().settingsApplied);
        QVERIFY(ToolButton("save")->isEnabled());
        QVERIFY(app_->MainFrame()->Action(QStringLiteral("save"))->isEnabled());  // and Ctrl+S with it
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(4);
        QVERIFY(!ToolButton("save")->isEnabled());
        auto* lock = qobject_cast<QComboBox*>(FormOf(DeviceKind::KX6500)->Control(FieldId::Lock));
        emit lock->activated(0);  // a list selection applies the form
        QVERIFY(ToolButton("save")->isEnabled());
    }

    void updateDeviceReachesTheBoardAndTheLockFieldFollowsIt() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(2);
        QTRY_COMPARE(frame->LockField()->text(), QStringLiteral("Not Locked"));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTest::keyClick(frame, Qt::Key_F5);
        const CRegister& reg = app_->Doc()->Document().registers;
        QCOMPARE(lptlinkSimBoardRegister(0x00), reg.GetReg(0));
        QCOMPARE(lptlinkSimBoardRegister(0x0F), reg.GetReg(14));
        QCOMPARE(lptlinkSimBoardRegister(0x42), reg.GetReg(29));
        auto* calibrate = Form()->findChild<QPushButton*>(QString(), Qt::FindChildrenRecursively);
        for (QPushButton* b : Form()->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("&Calibrate")) calibrate = b;
        calibrate->click();
        QTRY_COMPARE_WITH_TIMEOUT(frame->LockField()->text(), QStringLiteral("In Lock"), 2000);
        QCOMPARE(frame->CurrentField()->text(), QStringLiteral("9.90000"));
    }

    void openAndSaveRoundTrip() {
        Start(false);
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(2);
        Edit(FieldId::RfA)->setText(QStringLiteral("433.92"));
        QTest::keyClick(Edit(FieldId::RfA), Qt::Key_Return);
        QCOMPARE(app_->Doc()->Document().config.kx6200.rfA, 433.92);
        QCOMPARE(Edit(FieldId::RfA)->text(), QStringLiteral("433.916400"));  // the optimal frequency
        const std::string first = QDir(home_.path()).filePath(QStringLiteral("a.tsy")).toStdString();
        files_.answers = {first};
        app_->MainFrame()->Action(QStringLiteral("saveAs"))->trigger();
        QFile saved(QString::fromStdString(first));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QCOMPARE(bytes.size(), 264);
        QCOMPARE(app_->Doc()->Document().SaveBytes(), std::string(bytes.constData(), 264));
        QVERIFY(!app_->Doc()->Document().modified);

        app_->MainFrame()->Action(QStringLiteral("new"))->trigger();
        QCOMPARE(app_->Doc()->Document().config.kx6200.rfA, 868.2972);
        files_.answers = {first};
        app_->MainFrame()->Action(QStringLiteral("open"))->trigger();
        QCOMPARE(app_->Doc()->Document().config.kx6200.rfA, 433.92);
        QCOMPARE(Edit(FieldId::RfA)->text(), QStringLiteral("433.920000"));  // shown as loaded
        QVERIFY(app_->MainFrame()->ActiveDevice() == DeviceKind::KX6200);  // the device stays
        QVERIFY(app_->Doc()->RecentFiles().contains(QFileInfo(QString::fromStdString(first)).absoluteFilePath()));

        // A short file is refused and the document stays reset.
        const QString shortFile = QDir(home_.path()).filePath(QStringLiteral("short.tsy"));
        QFile f(shortFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(10, '\0'));
        f.close();
        messages_.shown.clear();
        files_.answers = {shortFile.toStdString()};
        app_->MainFrame()->Action(QStringLiteral("open"))->trigger();
        QVERIFY(!messages_.shown.empty());
        QCOMPARE(app_->Doc()->Document().config.kx6200.rfA, 868.2972);
    }

    void aFailedOpenNeverLeadsToASilentOverwrite() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(2);
        Edit(FieldId::RfA)->setText(QStringLiteral("433.92"));
        QTest::keyClick(Edit(FieldId::RfA), Qt::Key_Return);
        const QString a = QDir(home_.path()).filePath(QStringLiteral("kept.tsy"));
        const QString b = QDir(home_.path()).filePath(QStringLiteral("broken.tsy"));
        files_.answers = {a.toStdString()};
        frame->Action(QStringLiteral("saveAs"))->trigger();
        const QByteArray original = FileBytes(a);
        QCOMPARE(original.size(), 264);
        // B opens once (so that it is a recent file), then loses its tail.
        WriteBytes(b, original);
        files_.answers = {b.toStdString()};
        frame->Action(QStringLiteral("open"))->trigger();
        QCOMPARE(frame->windowTitle(), QStringLiteral("broken.tsy - Tessary Studio 4.00 (virtual parallel port)"));
        WriteBytes(b, original.left(100));

        const std::vector<std::pair<const char*, std::function<void()>>> ways = {
            {"Open", [&] {
                 files_.answers = {b.toStdString()};
                 frame->Action(QStringLiteral("open"))->trigger();
             }},
            {"recent file", [&] {
                 QAction* entry = nullptr;
                 for (QAction* r : frame->RecentFileActions())
                     if (r->isVisible() && QFileInfo(r->data().toString()) == QFileInfo(b)) entry = r;
                 QVERIFY(entry);
                 entry->trigger();
             }},
            {"drop", [&] {
                 QMimeData data;
                 data.setUrls({QUrl::fromLocalFile(b)});
                 // A drop reaches the window that accepted the drag's entry.
                 QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                 QApplication::sendEvent(frame, &enter);
                 QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                 QApplication::sendEvent(frame, &drop);
             }},
        };
        for (const auto& [way, fail] : ways) {
            files_.answers = {a.toStdString()};
            frame->Action(QStringLiteral("open"))->trigger();
            QCOMPARE(app_->Doc()->Document().config.kx6200.rfA, 433.92);
            QCOMPARE(frame->windowTitle(), QStringLiteral("kept.tsy - Tessary Studio 4.00 (virtual parallel port)"));
            messages_.shown.clear();
            fail();
            QVERIFY2(!messages_.shown.empty(), way);
            QVERIFY2(app_->Doc()->Path().empty(), way);
            QCOMPARE(app_->Doc()->Document().config.kx6200.rfA, 868.2972);
            QCOMPARE(frame->windowTitle(), QStringLiteral("Untitled - Tessary Studio 4.00 (virtual parallel port)"));
            // Save asks for a name; cancelling it writes nothing.
            files_.answers.clear();
            const int asked = files_.saveAsked;
            frame->Action(QStringLiteral("save"))->trigger();
            QVERIFY2(files_.saveAsked == asked + 1, way);
            QVERIFY2(FileBytes(a) == original, way);
        }
    }

    void profileKeepsTheDeviceDefault() {
        Start(false);
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(2);
        QSettings settings(QStringLiteral("Norvane"), QStringLiteral("Tessary Studio"));
        QCOMPARE(settings.value(QStringLiteral("Settings/DeviceDefault")).toInt(), 2);
        QVERIFY(settings.fileName().startsWith(home_.path()));
    }

    void infoButtonAndHelpTopics() {
        Start(false);
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(2);
        messages_.shown.clear();
        Form()->InfoButton(0)->click();
        QCOMPARE(messages_.shown.back().caption, std::string("KX6200: Crystal frequency"));
        QCOMPARE(messages_.shown.back().icon, MessageIcon::Information);
        app_->MainFrame()->Action(QStringLiteral("helpTopics"))->trigger();
        QCOMPARE(messages_.shown.back().caption, std::string("Help Topics"));
        app_->MainFrame()->Action(QStringLiteral("about"))->trigger();
        QVERIFY(messages_.shown.back().text.rfind("Tessary Studio Version 4.00", 0) == 0);
    }

    void theKX6500FormOnItsBoard() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(4);
        QVERIFY(frame->ActiveDevice() == DeviceKind::KX6500);
        QCOMPARE(app_->Doc()->Document().registers.GetReg(0), 0x10);  // RFMAIN
        QTRY_COMPARE(frame->LockField()->text(), QStringLiteral("Disabled"));
        ConfigFormWindow* form = FormOf(DeviceKind::KX6500);
        QVERIFY(form->Control(FieldId::Shape)->isVisibleTo(form));
        QVERIFY(!form->Control(FieldId::LowCurrent)->isVisibleTo(form));
        QVERIFY(form->Control(FieldId::BerEnable));
        bool hwReset = false;
        for (QPushButton* b : form->findChildren<QPushButton*>()) hwReset = hwReset || b->text() == "&HW Reset";
        QVERIFY(hwReset);
        auto* lock = qobject_cast<QComboBox*>(form->Control(FieldId::Lock));
        lock->setCurrentIndex(1);
        emit lock->activated(1);  // "Enable"
        frame->Action(QStringLiteral("update"))->trigger();
        QCOMPARE(lptlinkSimBoardRegister(0xC8), 0x10);
        QCOMPARE(lptlinkSimBoardRegister(0xE3), app_->Doc()->Document().registers.GetReg(13));
        for (QPushButton* b : form->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("&Calibrate")) b->click();
        QTRY_COMPARE_WITH_TIMEOUT(frame->LockField()->text(), QStringLiteral("In Lock"), 2000);
        QCOMPARE(frame->CurrentField()->text(), QStringLiteral("27.00000"));
        const QString path = BinDir() + QStringLiteral("/../main-window-kx6500.png");
        QVERIFY(frame->grab().save(path));
    }

    void theKX6300FormItsCommandsAndItsRegisterView() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(3);
        QTRY_VERIFY(!DeviceDialogWindow());
        QVERIFY(frame->ActiveDevice() == DeviceKind::KX6300);
        QCOMPARE(frame->windowTitle(), QStringLiteral("KX6300 - Tessary Studio 4.00 (virtual parallel port)"));
        ConfigFormWindow* form = FormOf(DeviceKind::KX6300);
        QVERIFY(form);
        QCOMPARE(form->objectName(), QStringLiteral("KX6300"));
        auto* rfA = qobject_cast<QLineEdit*>(form->Control(FieldId::RfA));
        QCOMPARE(rfA->text(), QStringLiteral("868.300000"));
        QCOMPARE(qobject_cast<QComboBox*>(form->Control(FieldId::Xtal))->count(), 4);
        QCOMPARE(form->ComponentField("L1")->text(), QStringLiteral("5.6"));
        QVERIFY(!form->Control(FieldId::Shape)->isVisibleTo(form));
        QVERIFY(!form->Control(FieldId::Ppm));
        QVERIFY(!form->InfoButton(6)->isVisibleTo(form));
        QVERIFY(!form->InfoButton(11));
        messages_.shown.clear();
        form->InfoButton(9)->click();
        QCOMPARE(messages_.shown.back().caption, std::string("KX6300: VCO inductor"));
        frame->OnTimer();
        QCOMPARE(frame->CurrentField()->text(), QStringLiteral("14.20000"));
        QVERIFY(Button(form, QStringLiteral("&Reset")));

        // Update Device and the form's Calibrate reach the three-wire board.
        frame->Action(QStringLiteral("update"))->trigger();
        QCOMPARE(lptlinkSimBoardRegister(0x00), 0x01);
        QCOMPARE(lptlinkSimBoardRegister(0x11), 0x27);
        QCOMPARE(lptlinkSimBoardRegister(0x42), 0x25);
        Button(form, QStringLiteral("&Calibrate"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(frame->LockField()->text(), QStringLiteral("In Lock"), 2000);

        // The print commands and Reset settings are the form's.
        const std::string settings = QDir(home_.path()).filePath(QStringLiteral("kx6300.txt")).toStdString();
        files_.answers = {settings};
        frame->Action(QStringLiteral("printSettings"))->trigger();
        QVERIFY(FileBytes(QString::fromStdString(settings)).startsWith("Device: KX6300\r\n\r\n"));
        const std::string listing = QDir(home_.path()).filePath(QStringLiteral("kx6300-reg.txt")).toStdString();
        files_.answers = {listing};
        frame->Action(QStringLiteral("printRegisters"))->trigger();
        QVERIFY(FileBytes(QString::fromStdString(listing)).contains("00\t\t1F\tPD\r\n"));
        rfA->setText(QStringLiteral("433.92"));
        QTest::keyClick(rfA, Qt::Key_Return);
        QCOMPARE(app_->Doc()->Document().config.kx6300.rfA, 433.92);
        QCOMPARE(form->ComponentField("L1")->text(), QStringLiteral("33.0"));
        frame->Action(QStringLiteral("resetSettings"))->trigger();
        QCOMPARE(rfA->text(), QStringLiteral("868.300000"));

        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        messages_.shown.clear();
        QTest::keyClick(frame, Qt::Key_F3);
        QTest::keyClick(frame, Qt::Key_F3);
        QCOMPARE(frame->ViewMode(), CMainFrame::Mode::Register);
        QCOMPARE(messages_.shown.size(), std::size_t{1});
        QCOMPARE(messages_.shown[0].text, std::string(kRegisterViewWarning));
        RegisterViewWindow* view = frame->RegisterWindow();
        QVERIFY(view);
        QCOMPARE(view->objectName(), QStringLiteral("KX6300 registers"));
        QCOMPARE(view->HexField(0)->text(), QStringLiteral("01"));
        QCOMPARE(view->HexField(15)->text(), QStringLiteral("27"));
        QCOMPARE(view->HexField(8)->text(), QStringLiteral("ab"));  // lower case in this view
        QVERIFY(Button(view, QStringLiteral("R&ead")));
        QVERIFY(Button(view, QStringLiteral("&Reset")));
        view->HexField(11)->setText(QStringLiteral("c0"));
        Button(view, QStringLiteral("Update device"))->click();
        QCOMPARE(lptlinkSimBoardRegister(0x0B), 0xC0);
        QCOMPARE(lptlinkSimBoardRegister(0x40), 0x10);
        QTest::keyClick(frame, Qt::Key_F2);
        QCOMPARE(frame->ViewMode(), CMainFrame::Mode::Normal);
        QVERIFY(frame->ActiveWindow() == form);
        QCOMPARE(rfA->text(), QStringLiteral("868.300000"));
        QCOMPARE(form->ComponentField("L1")->text(), QStringLiteral("5.6"));
        const QString path = BinDir() + QStringLiteral("/../main-window-kx6300.png");
        QVERIFY(frame->grab().save(path));
    }

    void registerViewSwitchingEditingAndFiles() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(2);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        messages_.shown.clear();
        QTest::keyClick(frame, Qt::Key_F3);
        QTest::keyClick(frame, Qt::Key_F3);  // the mode already shown: nothing
        QCOMPARE(frame->ViewMode(), CMainFrame::Mode::Register);
        QCOMPARE(messages_.shown.size(), std::size_t{1});
        QCOMPARE(messages_.shown[0].text, std::string(kRegisterViewWarning));
        QVERIFY(!frame->Action(QStringLiteral("new"))->isEnabled());
        QVERIFY(!frame->Action(QStringLiteral("selectDevice"))->isEnabled());
        QVERIFY(frame->Action(QStringLiteral("loadRegisters"))->isEnabled());
        QVERIFY(frame->Action(QStringLiteral("register"))->isChecked());
        app_->MainFrame()->OnTimer();
        QVERIFY(frame->CurrentField()->text().isEmpty());

        RegisterViewWindow* view = frame->RegisterWindow();
        QVERIFY(view);
        QCOMPARE(view->HexField(1)->text(), QStringLiteral("75"));
        view->HexField(14)->setText(QStringLiteral("ff"));
        QTest::keyClick(view->HexField(14), Qt::Key_Return);
        QCOMPARE(view->Model().Entry(14), 0xFF);
        frame->Action(QStringLiteral("update"))->trigger();
        QCOMPARE(lptlinkSimBoardRegister(0x0F), 0xFF);
        QCOMPARE(lptlinkSimBoardRegister(0x40), 0x10);
        QCOMPARE(app_->Doc()->Document().registers.GetReg(14), 0x90);  // the document is not touched

        const std::string eep = QDir(home_.path()).filePath(QStringLiteral("v.eep")).toStdString();
        files_.answers = {eep};
        frame->Action(QStringLiteral("printRegisters"))->trigger();
        QFile f(QString::fromStdString(eep));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), qint64(28 * 7));
        view->HexField(14)->setText(QStringLiteral("00"));
        QTest::keyClick(view->HexField(14), Qt::Key_Return);
        files_.answers = {eep};
        frame->Action(QStringLiteral("loadRegisters"))->trigger();
        QCOMPARE(view->HexField(14)->text(), QStringLiteral("ff"));

        // The hidden FRONT list hides its caption too.
        int captions = 0;
        for (QLabel* label : view->findChildren<QLabel*>())
            if (label->text() == QStringLiteral("FRONT")) {
                ++captions;
                QVERIFY(!label->isVisibleTo(view));
            }
        QCOMPARE(captions, 1);
        QVERIFY(!view->FieldControl(11)->isVisibleTo(view));
        // The view's own "Update device" button downloads its working copy.
        view->HexField(14)->setText(QStringLiteral("a5"));
        Button(view, QStringLiteral("Update device"))->click();
        QCOMPARE(lptlinkSimBoardRegister(0x0F), 0xA5);

        QTest::keyClick(frame, Qt::Key_F2);
        QCOMPARE(frame->ViewMode(), CMainFrame::Mode::Normal);
        QVERIFY(!frame->RegisterWindow());
        QVERIFY(frame->Action(QStringLiteral("new"))->isEnabled());
        QCOMPARE(Edit(FieldId::RfA)->text(), QStringLiteral("868.297200"));
    }

    void theKX6500RegisterViewShowsWordsMostSignificantFirst() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(4);
        frame->ShowRegisterView();
        RegisterViewWindow* view = frame->RegisterWindow();
        QVERIFY(view);
        QTRY_VERIFY(view->HexField(1)->isVisible());
        for (const auto& [left, middle, right] : {std::tuple{3, 2, 1}, std::tuple{6, 5, 4}, std::tuple{19, 19, 18}}) {
            const QPoint l = At(view->HexField(left), view), m = At(view->HexField(middle), view),
                         r = At(view->HexField(right), view);
            QCOMPARE(l.y(), r.y());
            QVERIFY(l.x() <= m.x() && m.x() < r.x() && l.x() < r.x());
        }
        QCOMPARE(view->HexField(3)->objectName(), QStringLiteral("FREQ_A2"));
        QCOMPARE(view->HexField(19)->objectName(), QStringLiteral("FSEP1"));
        view->HexField(2)->setText(QStringLiteral("5A"));
        Button(view, QStringLiteral("Update device"))->click();
        QCOMPARE(lptlinkSimBoardRegister(0xCB), 0x5A);
        QCOMPARE(lptlinkSimBoardRegister(0xC8), app_->Doc()->Document().registers.GetReg(0));
    }

    void portSettingMovesTheSharedPort() {
        Start(false);
        CMainFrame* frame = app_->MainFrame();
        frame->OpenDeviceDialog();
        ChooseDevice(2);
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QDialog*>(w);
                if (!dialog || dialog->windowTitle() != QStringLiteral("Port Setting") || !dialog->isVisible()) continue;
                auto* list = dialog->findChild<QComboBox*>();
                QCOMPARE(list->currentIndex(), 1);  // 0x378 by default
                list->setCurrentIndex(2);          // 0x3cb
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("OK")) b->click();
            }
        });
        frame->Action(QStringLiteral("selectPort"))->trigger();  // modal until OK
        QCOMPARE(ApplicationPort().BaseAddress(), 0x3CB);
    }

    void renderTheMainWindow() {
        Start(false);
        app_->MainFrame()->OpenDeviceDialog();
        ChooseDevice(2);
        app_->MainFrame()->OnTimer();
        const QString path = BinDir() + QStringLiteral("/../main-window-kx6200.png");
        QVERIFY(app_->MainFrame()->grab().save(path));
        QVERIFY(QFileInfo(path).size() > 1000);
    }
};

QTEST_MAIN(StudioTest)
#include "StudioTest.moc"
