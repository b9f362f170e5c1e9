// The demonstration-board programmer's window on the offscreen platform: the menu
// entry, its title and starting states, and the busy state while a board operation
// runs on its worker thread against the virtual ATtiny12.

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "../board/DemoRig.h"
#include "StudioTestSupport.h"
#include "studio/app/CDemoProgDlg.h"
#include "studio/app/CStudioApp.h"

using namespace tessary;
using namespace tessary::studiotest;
using namespace tessary::testing;

namespace {

// Holds the worker in its first pause until the test opens the gate.
class GatedTiming : public BusTiming {
public:
    explicit GatedTiming(BusTiming& inner) : inner_(inner) {}
    void SleepMilliseconds(int ms) override {
        Gate();
        inner_.SleepMilliseconds(ms);
    }
    void WaitMicroseconds(int us) override {
        Gate();
        inner_.WaitMicroseconds(us);
    }
    void Open() {
        std::lock_guard guard(lock_);
        open_ = true;
        changed_.notify_all();
    }
    bool Waiting() {
        std::lock_guard guard(lock_);
        return waiting_;
    }

private:
    void Gate() {
        std::unique_lock guard(lock_);
        waiting_ = !open_;
        changed_.wait(guard, [this] { return open_; });
        waiting_ = false;
    }
    BusTiming& inner_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool open_ = false;
    bool waiting_ = false;
};

// Records which thread showed each message.
class ThreadRecordingSink : public RecordingMessageSink {
public:
    void Show(const UserMessage& message) override {
        threads.push_back(std::this_thread::get_id());
        RecordingMessageSink::Show(message);
    }
    std::vector<std::thread::id> threads;
};

}  // namespace

class DemoProgDlgTest : public QObject {
    Q_OBJECT

private slots:
    void menuEntryOpensTheModalDialog() {
        QTemporaryDir home;
        RecordingMessageSink messages;
        ScriptedFiles files;
        CStudioApp app(messages, files);
        CStudioApp::Options options;
        options.splash = false;
        QVERIFY(app.Startup(options));
        CMainFrame* frame = app.MainFrame();
        QAction* programming = frame->Action(QStringLiteral("programming"));
        QVERIFY(programming && programming->isEnabled());
        QCOMPARE(programming->text(), QStringLiteral("&Programming"));
        QCOMPARE(programming->statusTip(), QStringLiteral("Programming the Demostration Board for KX400 and KX900"));
        QMenu* tools = nullptr;
        for (QAction* a : frame->menuBar()->actions())
            if (a->text() == QStringLiteral("&Tools")) tools = a->menu();
        QVERIFY(tools && tools->actions().contains(programming));

        QString title;
        bool modal = false;
        QTimer::singleShot(0, frame, [&] {
            auto* dialog = qobject_cast<CDemoProgDlg*>(QApplication::activeModalWidget());
            if (!dialog) return;
            title = dialog->windowTitle();
            modal = dialog->isModal();
            dialog->reject();
        });
        programming->trigger();
        QCOMPARE(title, QStringLiteral("Programming the Demostration Board"));
        QVERIFY(modal);
        app.Shutdown();
    }

    void startsWithoutDataAndFollowsTheRadios() {
        DemoRig rig;
        ScriptedFiles files;
        CDemoProgDlg dialog(4, rig.port, rig.timing, rig.messages, files);
        QCOMPARE(dialog.StatusLine(DemoGroup::Eeprom)->text(), QStringLiteral("No data in buffer"));
        QCOMPARE(dialog.StatusLine(DemoGroup::Flash)->text(), QStringLiteral("No data in buffer"));
        for (const char* name : {"EepromLoad", "EepromSave", "EepromRead", "ProgramEeprom", "ProgramFlash"})
            QVERIFY2(!dialog.Button(name)->isEnabled(), name);
        QVERIFY(dialog.Button("FlashLoad")->isEnabled());
        QCOMPARE(dialog.Button("ProgramEeprom")->text(), QStringLiteral("program EEPROM"));
        QCOMPARE(dialog.Radio("FromFile")->text(), QStringLiteral("from file..."));

        dialog.Radio("DefaultSetting")->click();
        QCOMPARE(dialog.StatusLine(DemoGroup::Eeprom)->text(), QStringLiteral("Default data in buffer for KX400DB"));
        QVERIFY(dialog.Button("ProgramEeprom")->isEnabled());
        QVERIFY(!dialog.Button("EepromSave")->isEnabled());
        dialog.Radio("FromFile")->click();
        QVERIFY(dialog.Button("EepromLoad")->isEnabled());
        QVERIFY(dialog.Button("EepromSave")->isEnabled());
        dialog.Button("EepromLoad")->click();  // the file dialog cancelled: nothing changes
        QVERIFY(dialog.Button("ProgramEeprom")->isEnabled());
        dialog.Button("FlashLoad")->click();
        QVERIFY(!dialog.Button("ProgramFlash")->isEnabled());
        QVERIFY(rig.io.writes.empty());
    }

    void aBoardOperationRunsOnItsWorkerAndTheWindowStaysInert() {
        DemoRig rig;
        for (int a = 0; a < 44; ++a) rig.tiny->SetEeprom(a, static_cast<std::uint8_t>(0x40 + a));
        GatedTiming gated(rig.timing);
        ThreadRecordingSink messages;
        ScriptedFiles files;
        CDemoProgDlg dialog(4, rig.port, gated, messages, files);
        dialog.show();
        dialog.Radio("FromBoard")->click();
        QVERIFY(dialog.Button("EepromRead")->isEnabled());
        dialog.Button("EepromRead")->click();

        QVERIFY(dialog.Busy());
        QTRY_VERIFY(gated.Waiting());
        QVERIFY(PortClaim::Held());
        for (const char* name : {"EepromInfo", "EepromLoad", "EepromSave", "EepromRead", "ProgramEeprom", "FlashInfo",
                                 "FlashLoad", "ProgramFlash"})
            QVERIFY2(!dialog.Button(name)->isEnabled(), name);
        for (const char* name : {"DefaultSetting", "FromFile", "FromBoard"}) QVERIFY(!dialog.Radio(name)->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.close());
        QVERIFY(dialog.isVisible());

        gated.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Busy(), 20000);
        QVERIFY(!PortClaim::Held());
        QCOMPARE(dialog.StatusLine(DemoGroup::Eeprom)->text(), QStringLiteral("Demostration Board read to buffer"));
        QCOMPARE(dialog.ProgressBar(DemoGroup::Eeprom)->maximum(), 44);
        QCOMPARE(dialog.ProgressBar(DemoGroup::Eeprom)->value(), 0);
        QCOMPARE(dialog.Model().Eeprom()[43], 0x40 + 43);
        QVERIFY(dialog.Button("ProgramEeprom")->isEnabled());
        QVERIFY(dialog.Button("EepromSave")->isEnabled());
        QVERIFY(messages.shown.empty());
        QVERIFY(dialog.close());
    }

    void workerMessagesAreShownOnTheWindowsThread() {
        DemoRig rig(nullptr);  // no demonstration board
        ThreadRecordingSink messages;
        ScriptedFiles files;
        CDemoProgDlg dialog(9, rig.port, rig.timing, messages, files);
        dialog.Radio("DefaultSetting")->click();
        dialog.Button("ProgramEeprom")->click();
        QTRY_VERIFY(!dialog.Busy());
        QCOMPARE(messages.shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(messages.shown[0].text), QString::fromUtf8(kNoDemoBoardMessage));
        QVERIFY(messages.threads[0] == std::this_thread::get_id());
        QVERIFY(dialog.Button("ProgramEeprom")->isEnabled());
    }

    void flashProgressRunsToTheWordCount() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flash.hex"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("000000:c0ff\n000001:0000\n");
        file.close();
        DemoRig rig;
        RecordingMessageSink messages;
        ScriptedFiles files;
        files.answers.push_back(path.toStdString());
        CDemoProgDlg dialog(4, rig.port, rig.timing, messages, files);
        dialog.Button("FlashLoad")->click();
        QCOMPARE(dialog.StatusLine(DemoGroup::Flash)->text(), QStringLiteral("File ") + path + QStringLiteral(" in the Buffer"));
        QVERIFY(dialog.Button("ProgramFlash")->isEnabled());
        int highest = 0;
        connect(&dialog, &CDemoProgDlg::progressChanged, &dialog, [&](int, int v) { highest = std::max(highest, v); },
                Qt::QueuedConnection);
        dialog.Button("ProgramFlash")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Busy(), 30000);
        QCOMPARE(dialog.ProgressBar(DemoGroup::Flash)->maximum(), 512);
        QCOMPARE(highest, 512);
        QCOMPARE(int(rig.tiny->Flash()[0]), 0xC0FF);
        QCOMPARE(int(rig.tiny->Flash()[0x1FF]), 0x005A);
    }
};

QTEST_MAIN(DemoProgDlgTest)
#include "DemoProgDlgTest.moc"
