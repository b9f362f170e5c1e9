// The KX400/KX900 form and its frame register view in the studio, on the offscreen
// platform and the virtual frame boards.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "StudioTestSupport.h"
#include "lptlink/lptlink.h"
#include "studio/app/CStudioApp.h"
#include "studio/app/FrameRegisterWindow.h"
#include "studio/app/KX400FormWindow.h"

using namespace tessary;
using namespace tessary::studiotest;

class StudioKX400Test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    RecordingMessageSink messages_;
    ScriptedFiles files_;
    std::unique_ptr<CStudioApp> app_;

    CMainFrame* Frame() { return app_->MainFrame(); }
    void Start() {
        messages_.shown.clear();
        app_ = std::make_unique<CStudioApp>(messages_, files_);
        CStudioApp::Options options;
        options.splash = false;
        QVERIFY(app_->Startup(options));
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
    }
    void ChooseDevice(int index) {
        Frame()->OpenDeviceDialog();
        QDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("DeviceSetting") && w->isVisible()) dialog = qobject_cast<QDialog*>(w);
        QVERIFY(dialog);
        dialog->findChild<QComboBox*>()->setCurrentIndex(index);
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("OK")) b->click();
        QTRY_VERIFY(!dialog->isVisible());
    }
    KX400FormWindow* Form() { return qobject_cast<KX400FormWindow*>(Frame()->Window(DeviceKind::KX400)); }
    QLineEdit* Edit(FieldId id) { return qobject_cast<QLineEdit*>(Form()->Control(id)); }
    QComboBox* List(FieldId id) { return qobject_cast<QComboBox*>(Form()->Control(id)); }
    void Enter(FieldId id) { QTest::keyClick(Edit(id), Qt::Key_Return); }
    bool Enabled(const char* action) { return Frame()->Action(QString::fromUtf8(action))->isEnabled(); }
    const CRegister& Registers() { return app_->Doc()->Document().registers; }
    QString TempPath(const char* name) { return QDir(home_.path()).filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home_.path());
    }
    void cleanup() {
        if (app_) app_->Shutdown();
        app_.reset();
    }

    void startsOnCConfigViewAndDeviceSettingShowsIt() {
        Start();
        // Without the start-up picture the template's first view shows, with the device
        // number the new document holds.
        QVERIFY(Frame()->ActiveWindow() == Form());
        QVERIFY(Form()->isVisible());
        QCOMPARE(app_->Doc()->Document().config.kx400.deviceNumber, -1.0);
        QCOMPARE(Edit(FieldId::Rf)->text(), QStringLiteral("869.000000"));

        ChooseDevice(0);
        QVERIFY(Frame()->ActiveDevice() == DeviceKind::KX400);
        QVERIFY(Frame()->ActiveWindow() == Form());
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("KX400 - Tessary Studio 4.00 (virtual parallel port)"));
        QCOMPARE(Edit(FieldId::Xtal)->text(), QStringLiteral("12.000000"));
        QCOMPARE(Edit(FieldId::Ppm)->text(), QStringLiteral("50"));
        QCOMPARE(Edit(FieldId::Rf)->text(), QStringLiteral("433.920000"));
        QCOMPARE(Edit(FieldId::Rate)->text(), QStringLiteral("1.2"));
        QCOMPARE(List(FieldId::PaClass)->currentText(), QStringLiteral("Class B"));
        QCOMPARE(List(FieldId::VcoCurrent)->count(), 8);
        QCOMPARE(List(FieldId::Mode)->itemText(4), QStringLiteral("RX precharging"));
        QCOMPARE(Registers().GetFrame(1), 0x130B);  // recomputed for the chosen device
        QCOMPARE(Form()->ComponentField("L51")->text(), QStringLiteral(" 33"));
        QCOMPARE(Form()->ComponentField("C61")->text(), QStringLiteral(" 18"));

        // Until the settings are applied the file commands wait, "Save &As..." too.
        for (const char* action : {"save", "saveAs", "printSettings", "printRegisters"}) QVERIFY2(!Enabled(action), action);
        Edit(FieldId::Rf)->setFocus();
        Enter(FieldId::Rf);
        for (const char* action : {"save", "saveAs", "printSettings", "printRegisters"}) QVERIFY2(Enabled(action), action);
        QVERIFY(app_->Doc()->Document().modified);

        Frame()->OnTimer();
        QCOMPARE(Frame()->CurrentField()->text(), QStringLiteral("18.00000"));
        QCOMPARE(Frame()->LockField()->text(), QStringLiteral("Not Locked"));
        Frame()->Action(QStringLiteral("update"))->trigger();
        for (int i = 0; i < 8; ++i) QCOMPARE(lptlinkSimBoardRegister(i), Registers().GetFrame(i));
        Frame()->OnTimer();
        QCOMPARE(Frame()->LockField()->text(), QStringLiteral("In Lock"));
    }

    void theKX900TypingRefusalsAndInfo() {
        Start();
        ChooseDevice(1);
        QCOMPARE(Edit(FieldId::Rf)->text(), QStringLiteral("869.000000"));
        QCOMPARE(List(FieldId::PaClass)->currentText(), QStringLiteral("Class C"));
        QCOMPARE(Form()->ComponentField("C61")->text(), QStringLiteral("N.A."));
        QCOMPARE(Registers().GetFrame(1) >> 11, 1);

        messages_.shown.clear();
        Edit(FieldId::Rf)->setText(QStringLiteral("433.92"));
        Edit(FieldId::Rf)->setFocus();
        Enter(FieldId::Rf);
        QVERIFY(messages_.ShownTexts().back().find("for the KX900.") != std::string::npos);
        QTRY_VERIFY(Edit(FieldId::Rf)->hasFocus());
        QCOMPARE(Edit(FieldId::Rf)->text(), QStringLiteral("433.92"));

        Edit(FieldId::Rf)->setText(QStringLiteral("915"));
        List(FieldId::PaClass)->setCurrentIndex(0);  // class A cannot give 0 dBm
        messages_.shown.clear();
        Enter(FieldId::Rf);
        QCOMPARE(messages_.ShownTexts().back(), std::string(kx400::msg::kIllegalPower));
        QCOMPARE(app_->Doc()->Document().config.kx400.rf, 869e6);
        Edit(FieldId::Power)->setText(QStringLiteral("-15"));
        Enter(FieldId::Power);
        QCOMPARE(app_->Doc()->Document().config.kx400.rf, 915e6);
        QCOMPARE(Form()->ComponentField("L51")->text(), QStringLiteral(" 10"));

        Form()->InfoButton(12)->click();
        QCOMPARE(messages_.shown.back().caption, std::string("KX900: Input/output match"));
        QCOMPARE(messages_.shown.back().icon, MessageIcon::Information);
        for (int b = 0; b < 14; ++b) QVERIFY(Form()->InfoButton(b));
    }

    void theFrameRegisterView() {
        Start();
        ChooseDevice(0);
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        messages_.shown.clear();
        QTest::keyClick(Frame(), Qt::Key_F3);
        QCOMPARE(Frame()->ViewMode(), CMainFrame::Mode::Register);
        QCOMPARE(messages_.shown.size(), std::size_t{1});
        auto* view = qobject_cast<FrameRegisterWindow*>(Frame()->RegisterView());
        QVERIFY(view);
        QVERIFY(!Frame()->RegisterWindow());
        QCOMPARE(view->Box(0, 12)->text(), QStringLiteral("A12"));
        QCOMPARE(view->Box(7, 0)->text(), QStringLiteral("H00"));
        QCOMPARE(view->WordField(0)->text(), QStringLiteral("002A"));
        QCOMPARE(view->WordField(1)->text(), QStringLiteral("330B"));
        QVERIFY(view->Box(0, 1)->isChecked());
        Frame()->OnTimer();
        QVERIFY(Frame()->CurrentField()->text().isEmpty());

        // A click edits the document's frame itself; the view's button downloads.
        view->Box(7, 12)->click();
        QCOMPARE(Registers().GetFrame(7), 0x1040);
        QCOMPARE(view->WordField(7)->text(), QStringLiteral("F040"));
        for (QPushButton* b : view->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Update device")) b->click();
        QCOMPARE(lptlinkSimBoardRegister(7), 0x1040);
        QCOMPARE(lptlinkSimBoardRegister(1), 0x130B);

        const QString eep = TempPath("f.eep");
        files_.answers = {eep.toStdString()};
        Frame()->Action(QStringLiteral("printRegisters"))->trigger();
        QCOMPARE(FileBytes(eep).left(18), QByteArray("00:002A\r\n01:130B\r\n"));
        QCOMPARE(FileBytes(eep).size(), 72);
        view->Box(7, 12)->click();
        QCOMPARE(Registers().GetFrame(7), 0x0040);
        files_.answers = {eep.toStdString()};
        Frame()->Action(QStringLiteral("loadRegisters"))->trigger();
        QCOMPARE(Registers().GetFrame(7), 0x1040);
        QVERIFY(view->Box(7, 12)->isChecked());
        view->Box(7, 12)->click();
        QTest::keyClick(Frame(), Qt::Key_F5);
        QCOMPARE(lptlinkSimBoardRegister(7), 0x0040);

        // Back to the form: it applies again, over the hand edits.
        view->Box(2, 4)->click();
        QTest::keyClick(Frame(), Qt::Key_F2);
        QCOMPARE(Frame()->ViewMode(), CMainFrame::Mode::Normal);
        QVERIFY(!Frame()->RegisterView());
        QCOMPARE(Registers().GetFrame(2), 0x0141);
    }

    void printingTheReports() {
        Start();
        ChooseDevice(0);
        Edit(FieldId::Sep)->setText(QStringLiteral("40"));
        Edit(FieldId::Power)->setText(QStringLiteral("0"));
        Enter(FieldId::Sep);
        const QString listing = TempPath("r.txt"), settings = TempPath("s.txt");
        files_.answers = {listing.toStdString()};
        Frame()->Action(QStringLiteral("printRegisters"))->trigger();
        const QByteArray bytes = FileBytes(listing);
        QCOMPARE(bytes.size(), 492);
        QCOMPARE(bytes.mid(122, 4), QByteArray("082A"));
        QCOMPARE(bytes.mid(428 + 24, 4), QByteArray("7EE1"));
        files_.answers = {settings.toStdString()};
        Frame()->Action(QStringLiteral("printSettings"))->trigger();
        QVERIFY(FileBytes(settings).startsWith("Device: KX400\r\n\r\nSystem parameters:\r\nX-tal frequency: 12.000000 MHz"));
        QVERIFY(FileBytes(settings).contains("Frequency separation: 40 kHz\r\n"));

        Frame()->OnTimer();
        const QString path = BinDir() + QStringLiteral("/../main-window-kx400.png");
        QVERIFY(Frame()->grab().save(path));
    }
};

QTEST_MAIN(StudioKX400Test)
#include "StudioKX400Test.moc"
