// The Timers, Serial Port 0/1 and DES windows of KX6500Disp.so on the offscreen
// platform, in several modes, with pictures in the build folder
// (display-<name>-<mode>.png): layouts by timer mode, the status lines, the disabled
// port 1, the DES address fields' length, the vector button and the memory display.
#include <dlfcn.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <array>
#include <numeric>
#include <vector>

#include "host/kx6500_host.h"

namespace {

std::array<std::uint8_t, 256> sfr{};
std::vector<std::uint8_t> xdata(0x10000);
std::vector<std::string> writes;

std::uint8_t* Byte(std::uint32_t address, std::uint32_t count) {
    const std::uint32_t space = address >> 24, offset = address & 0xFFFF;
    if (space == 0xF0 && offset + count <= sfr.size()) return sfr.data() + offset;
    if (space == 0x01 && offset + count <= xdata.size()) return xdata.data() + offset;
    return nullptr;
}
int Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    const std::uint8_t* from = Byte(address, count);
    if (!from) return 1;
    std::memcpy(buffer, from, count);
    return 0;
}
int Write(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    std::uint8_t* to = Byte(address, count);
    if (!to) return 1;
    std::memcpy(to, buffer, count);
    writes.push_back(QString::asprintf("%08X:%u", address, count).toStdString());
    return 0;
}

}  // namespace

class TimerSerialDesWindows : public QObject {
    Q_OBJECT

    void* library_ = nullptr;
    EnumUv351Fn enumUv351_ = nullptr;
    HostInterface record_{};

    MenuEntry* Entry(std::uint32_t dialogId) {
        for (MenuEntry* e = record_.menu; e && e->kind != MENU_END; ++e)
            if (e->kind == MENU_ITEM && e->dialogId == dialogId) return e;
        return nullptr;
    }
    QWidget* Open(std::uint32_t dialogId) {
        MenuEntry* e = Entry(dialogId);
        if (!e->view->window) e->open(e);
        return reinterpret_cast<QWidget*>(e->view->window);
    }
    void Close(std::uint32_t dialogId) {
        MenuEntry* e = Entry(dialogId);
        if (e->view->window) e->open(e);
    }
    void Save(QWidget* w, const char* name) {
        QCoreApplication::processEvents();
        QVERIFY(w->grab().save(QStringLiteral(DISPLAY_PICTURES_DIR "/display-%1.png").arg(name)));
    }
    template <typename W>
    W* Find(QWidget* view, const char* id) {
        auto* w = view->findChild<W*>(id);
        if (!w) qWarning("no control %s", id);
        return w;
    }

private slots:
    void initTestCase() {
        const QByteArray bin = qgetenv("TESSARY_BIN");
        const QString path = QFileInfo(QString::fromLocal8Bit(bin.isEmpty() ? "build/bin" : bin)).dir().path() +
                             "/lib/KX6500Disp.so";
        library_ = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library_, dlerror());
        enumUv351_ = reinterpret_cast<EnumUv351Fn>(dlsym(library_, "EnumUv351"));
        QVERIFY(enumUv351_);
        record_.tag = HOST_TAG;
        record_.clockHz = 11059200;
        record_.readMemory = &Read;
        record_.writeMemory = &Write;
        QCOMPARE(enumUv351_(&record_, 0), 1);
        std::iota(xdata.begin(), xdata.end(), std::uint8_t{0});
    }

    void timersInTheirModes() {
        sfr[0x89] = 0x10;  // TMOD: timer 0 mode 0, timer 1 mode 1
        sfr[0x8C] = 0x12;
        sfr[0x8A] = 0xFF;
        QWidget* w = Open(1000);
        QVERIFY(w);
        QCOMPARE(Find<QLabel>(w, "T0 label")->text(), QString("TH0+TL0: T0 value (13):"));
        QCOMPARE(Find<QLineEdit>(w, "T0 value")->text(), QString("607"));
        QVERIFY(Find<QLineEdit>(w, "T0 value")->isVisible());
        QVERIFY(!Find<QLineEdit>(w, "TH0")->isVisible());
        QVERIFY(!Find<QCheckBox>(w, "Watchdog Timer Enable")->isEnabled());
        Save(w, "timers-mode0");

        auto* value = Find<QLineEdit>(w, "T1 value");
        value->setFocus();
        value->selectAll();
        QTest::keyClicks(value, "70000");
        writes.clear();
        QTest::keyClick(value, Qt::Key_Return);
        QCOMPARE(value->text(), QString("65535"));
        QCOMPARE(writes, (std::vector<std::string>{"F000008B:3"}));

        sfr[0x89] = 0x76;  // timer 0 mode 2 (counter), timer 1 mode 3 (counter)
        sfr[0xA9] = 0x05;  // TCON2: timers 2 and 3 in PWM mode
        record_.update();
        QVERIFY(!Find<QLineEdit>(w, "T0 value")->isVisible());
        QVERIFY(Find<QLineEdit>(w, "TH0")->isVisible());
        QVERIFY(Find<QLineEdit>(w, "TL1")->isVisible());
        QCOMPARE(Find<QComboBox>(w, "T0 mode")->currentText(), QString("8-bit auto-reload counter"));
        QCOMPARE(Find<QLabel>(w, "T2 label")->text(), QString("T2 - Duty cycle of PWM:"));
        Save(w, "timers-mode2");
        Close(1000);
    }

    void serialPortsAndTheirStatus() {
        sfr[0x98] = 0x50;  // SCON0 mode 1
        sfr[0x89] = 0x20;
        sfr[0x8D] = 0xFD;
        sfr[0xC0] = 0x90;  // SCON1 mode 2
        QWidget* w = Open(1024);
        auto* status = Find<QListWidget>(w, "Status");
        QCOMPARE(status->count(), 5);
        QCOMPARE(status->item(1)->text(), QString("Baud rate: 9600"));
        Save(w, "serial0-mode1");
        sfr[0x98] = 0x00;
        record_.update();
        QCOMPARE(status->item(0)->text(), QString("Synchronous mode"));
        Save(w, "serial0-mode0");

        QWidget* one = Open(1023);
        for (const char* id : {"Mode", "TB8", "Data buffer", "2x baud rate (m: 1, 2, 3)", "Receive enable"})
            QVERIFY2(!one->findChild<QWidget*>(id)->isEnabled(), id);
        QVERIFY(Find<QPushButton>(one, "Refresh")->isEnabled());
        QCOMPARE(Find<QListWidget>(one, "Status")->item(1)->text(), QString("Baud rate: 172800"));
        writes.clear();
        QTest::mouseClick(Find<QCheckBox>(one, "Receive enable"), Qt::LeftButton);
        QVERIFY(writes.empty());
        Save(one, "serial1");
        Close(1024);
        Close(1023);
    }

    void desAddressesVectorAndMemory() {
        sfr[0xC5] = 0x20;  // data at 0x0100
        sfr[0xC6] = 20;
        sfr[0xC4] = 0x40;  // keys at 0x0200
        QWidget* w = Open(1011);
        auto* address = Find<QLineEdit>(w, "Data address");
        QCOMPARE(address->text(), QString("0100"));
        address->setFocus();
        address->selectAll();
        QTest::keyClicks(address, "07E01");
        QCOMPARE(address->text(), QString("07E0"));  // four characters at most
        writes.clear();
        QTest::keyClick(address, Qt::Key_Return);
        QCOMPARE(sfr[0xC5], std::uint8_t{0xFC});
        QCOMPARE(writes, (std::vector<std::string>{"F00000C5:1"}));

        auto* button = Find<QPushButton>(w, "Load init. vec.");
        auto* vector = Find<QLineEdit>(w, "Init. vec.");
        QVERIFY(!button->isEnabled());
        vector->setFocus();
        QTest::keyClicks(vector, "0123456789ABCDE");
        QVERIFY(!button->isEnabled());
        QTest::keyClicks(vector, "F");
        QVERIFY(button->isEnabled());
        writes.clear();
        QTest::keyClick(vector, Qt::Key_Return);  // Enter loads while the button is enabled
        QCOMPARE(writes.size(), std::size_t{8});
        QCOMPARE(sfr[0xB4], std::uint8_t{0x01});
        QCOMPARE(sfr[0xBF], std::uint8_t{0xEF});

        auto* view = Find<QComboBox>(w, "View");
        view->setCurrentIndex(2);
        emit view->activated(2);
        auto* memory = Find<QPlainTextEdit>(w, "Memory");
        QVERIFY(memory->isReadOnly());
        QCOMPARE(memory->toPlainText().count(QLatin1Char('\n')), 3);
        QVERIFY(memory->toPlainText().startsWith("0x07E0: E0.E1.E2.E3.E4.E5.E6.E7"));
        Save(w, "des-data");
        view->setCurrentIndex(0);
        emit view->activated(0);
        QVERIFY(memory->toPlainText().startsWith("Key 1: 00.01.02.03.04.05.06"));
        Save(w, "des-keys");
        view->setCurrentIndex(1);
        emit view->activated(1);
        QCOMPARE(memory->toPlainText(), QString("CRPINI[0:7]: 01.23.45.67.89.AB.CD.EF"));
        Save(w, "des-vector");
        Close(1011);
    }

    void cleanupTestCase() {
        QCOMPARE(enumUv351_(&record_, 1), 0);
        QCOMPARE(QApplication::topLevelWidgets().size(), qsizetype{0});
        dlclose(library_);
    }
};

QTEST_MAIN(TimerSerialDesWindows)
#include "TimerSerialDesWindowsTest.moc"
