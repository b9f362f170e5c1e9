// KX6500Disp.so in a QApplication on the offscreen platform: every view opened through
// the menu table, fields committed with Enter and left with Tab, activation, closing,
// placement, and a picture of each view in the build folder (display-<name>.png).
#include <dlfcn.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>
#include <array>
#include <map>

#include "host/kx6500_host.h"

namespace {

std::array<std::uint8_t, 256> memory{};
std::vector<std::string> writes;

int Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    if ((address >> 24) != 0xF0 || (address & 0xFFFF) + count > 256) return 1;
    std::memcpy(buffer, memory.data() + (address & 0xFF), count);
    return 0;
}
int Write(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    if ((address >> 24) != 0xF0 || (address & 0xFFFF) + count > 256) return 1;
    std::memcpy(memory.data() + (address & 0xFF), buffer, count);
    writes.push_back(std::to_string(address & 0xFF) + ":" + std::to_string(count));
    return 0;
}

const std::map<std::uint32_t, const char*> kNames = {
    {1009, "adc"},   {1011, "des"},   {1027, "flash"},   {1008, "interrupts"}, {1002, "ports"},
    {1020, "port0"}, {1021, "port1"}, {1019, "port2"},   {1022, "port3"},      {1010, "power"},
    {1014, "radio"}, {1024, "serial0"}, {1023, "serial1"}, {1025, "spi"},      {1000, "timers"},
};
const std::map<std::uint32_t, const char*> kTitles = {
    {1009, "A/D Converter"}, {1011, "DES Encryption/Decryption"}, {1027, "Flash Memory"}, {1008, "Interrupts"},
    {1002, "Ports"},         {1020, "Port 0 [3:0]"},              {1021, "Port 1 [7:0]"}, {1019, "Port 2 [7:0]"},
    {1022, "Port 3 [5:0]"},  {1010, "Power & Clock Control"},     {1014, "Radio & Modem"}, {1024, "Serial Port 0"},
    {1023, "Serial Port 1 (DEBUGGER)"}, {1025, "SPI Interface"},  {1000, "Timers"},
};

}  // namespace

class DisplayWindows : public QObject {
    Q_OBJECT

    void* library_ = nullptr;
    EnumUv351Fn enumUv351_ = nullptr;
    HostInterface record_{};

    MenuEntry* Entry(std::uint32_t dialogId) {
        for (MenuEntry* e = record_.menu; e && e->kind != MENU_END; ++e)
            if (e->kind == MENU_ITEM && e->dialogId == dialogId) return e;
        return nullptr;
    }
    QWidget* Window(std::uint32_t dialogId) { return reinterpret_cast<QWidget*>(Entry(dialogId)->view->window); }
    QWidget* Open(std::uint32_t dialogId) {
        MenuEntry* e = Entry(dialogId);
        if (!e->view->window) e->open(e);
        return Window(dialogId);
    }
    void Save(QWidget* w, const QString& name) {
        QVERIFY(w->grab().save(QStringLiteral(DISPLAY_PICTURES_DIR "/display-%1.png").arg(name)));
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
        record_.clockHz = 14745600;
        record_.readMemory = &Read;
        record_.writeMemory = &Write;
        QCOMPARE(enumUv351_(&record_, 0), 1);
        memory[0xE3] = 0x30;
        memory[0xCC] = 0x58;
        memory[0xD9] = 0x05;
    }

    void everyViewOpensThroughTheMenuTable() {
        for (const auto& [id, name] : kNames) {
            QWidget* w = Open(id);
            QVERIFY2(w, name);
            QVERIFY(w->isVisible());
            QCOMPARE(w->windowTitle(), QString::fromUtf8(kTitles.at(id)));
            QVERIFY(w->parentWidget() == nullptr);
            Save(w, name);
        }
        QWidget* radio = Window(1014);
        auto* tabs = radio->findChild<QTabWidget*>("tab");
        QVERIFY(tabs);
        tabs->setCurrentIndex(1);
        QCOMPARE(radio->findChild<QLineEdit*>("-> Freq. A")->text(), QString("866.3040"));
        Save(radio, "radio-synth");
        tabs->setCurrentIndex(2);
        Save(radio, "radio-modem");
        tabs->setCurrentIndex(0);
        for (const auto& [id, name] : kNames) Entry(id)->open(Entry(id));  // chosen again: closed
        for (const auto& [id, name] : kNames) QCOMPARE(Entry(id)->view->window, std::uintptr_t{0});
    }

    void enterCommitsAndTabLeavesAField() {
        QWidget* radio = Open(1014);
        radio->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(radio));
        QCOMPARE(record_.activeView, reinterpret_cast<std::uintptr_t>(radio));
        radio->findChild<QTabWidget*>("tab")->setCurrentIndex(1);

        auto* divider = radio->findChild<QLineEdit*>("Ref. freq. divider");
        divider->setFocus();
        divider->selectAll();
        QTest::keyClicks(divider, "1");
        writes.clear();
        QTest::keyClick(divider, Qt::Key_Return);
        QCOMPARE(divider->text(), QString("2"));  // clamped and shown
        QCOMPARE(memory[0xE3], std::uint8_t{0x10});
        QCOMPARE(writes, (std::vector<std::string>{"227:1"}));
        QVERIFY(radio->isVisible());  // Enter is the field's, not the dialog's

        radio->findChild<QTabWidget*>("tab")->setCurrentIndex(2);
        auto* offset = radio->findChild<QLineEdit*>("Peak level offset");
        offset->setFocus();
        QVERIFY(offset->hasFocus());
        offset->selectAll();
        QTest::keyClicks(offset, "77");
        QCOMPARE(offset->text(), QString("77"));
        writes.clear();
        QTest::keyClick(offset, Qt::Key_Tab);
        QVERIFY(!offset->hasFocus());
        QCOMPARE(offset->text(), QString("5"));  // typed, not committed: the value again
        QVERIFY(writes.empty());
    }

    void aListChoiceAndACheckBoxWrite() {
        QWidget* radio = Open(1014);
        radio->findChild<QTabWidget*>("tab")->setCurrentIndex(0);
        auto* vco = radio->findChild<QComboBox*>("VCO current");
        writes.clear();
        vco->setCurrentIndex(7);
        emit vco->activated(7);
        QCOMPARE(memory[0xE1] >> 4, 7);
        radio->findChild<QTabWidget*>("tab")->setCurrentIndex(1);
        auto* usingB = radio->findChild<QCheckBox*>("Using B");
        QTest::mouseClick(usingB, Qt::LeftButton);
        QCOMPARE(memory[0xC8] & 0x40, 0x40);
        QVERIFY(!radio->findChild<QCheckBox*>("Alarm high")->isEnabled());
    }

    void closedWithItsCloseButtonItIsPlacedThereAgain() {
        QWidget* radio = Open(1014);
        radio->move(40, 30);
        QVERIFY(radio->close());
        ViewDescriptor* d = Entry(1014)->view;
        QCOMPARE(d->window, std::uintptr_t{0});
        QCOMPARE(d->left, radio->frameGeometry().left());
        QCOMPARE(d->top, radio->frameGeometry().top());
        QCOMPARE(d->right - d->left, radio->frameGeometry().width());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QWidget* again = Open(1014);
        QCOMPARE(again->frameGeometry().topLeft(), QPoint(d->left, d->top));
    }

    void escapeClosesTheViewAsItsCloseButtonDoes() {
        QWidget* adc = Open(1009);
        adc->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(adc));
        QTest::keyClick(adc, Qt::Key_Escape);
        QCOMPARE(Entry(1009)->view->window, std::uintptr_t{0});
        QVERIFY(Open(1009) != nullptr);  // and it opens again
        Entry(1009)->open(Entry(1009));
    }

    void cleanupTestCase() {
        QCOMPARE(enumUv351_(&record_, 1), 0);
        for (const auto& [id, name] : kNames) QCOMPARE(Entry(id)->view->window, std::uintptr_t{0});
        QCOMPARE(QApplication::topLevelWidgets().size(), qsizetype{0});  // no window of the plug-in is left
        dlclose(library_);
    }
};

QTEST_MAIN(DisplayWindows)
#include "DisplayWindowsTest.moc"
