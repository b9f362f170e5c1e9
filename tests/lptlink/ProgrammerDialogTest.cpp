// The programmer dialog's model with a fake device, settings in memory and a worker that
// runs inline.

#include "lptlink/core/ProgrammerDialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "lptlink/core/ProgrammerTexts.h"
#include "tests/lptlink/ProgrammerFakes.h"

using namespace lptlink;
using namespace lptlink::testing;
using ::testing::ElementsAre;

namespace {

constexpr const char* kAborted = "User aborted action!\nDevice in unknown state.";

class RecordingView : public ProgrammerView {
public:
    std::vector<ProgrammerControl> focus;
    std::vector<ProgrammerControl> selected;
    std::vector<int> closes;
    int refreshes = 0;
    int progressPaints = 0;
    void Refresh() override { ++refreshes; }
    void ShowProgressNow() override { ++progressPaints; }
    void Focus(ProgrammerControl c) override { focus.push_back(c); }
    void SelectText(ProgrammerControl c) override { selected.push_back(c); }
    void Close(int delayMs) override { closes.push_back(delayMs); }
};

class InlineRunner : public ProgrammerRunner, public WorkerChannel {
public:
    explicit InlineRunner(DialogMessages& messages) : messages_(messages) {}
    ProgrammerDialog* model = nullptr;
    int started = 0;
    std::vector<std::pair<std::string, int>> reports;
    void Start(std::function<RunOutcome(WorkerChannel&)> work, std::function<void(RunOutcome)> done) override {
        ++started;
        done(work(*this));
    }
    void Progress(const std::string& text, int percent) override {
        reports.emplace_back(text, percent);
        model->ShowProgress(text, percent);
    }
    DialogMessages& Messages() override { return messages_; }

private:
    DialogMessages& messages_;
};

// 32 KiB of an image with `pages` used pages of a pattern, optionally carrying the boot
// loader's identification.
std::vector<unsigned char> Image(int pages, bool bootLoader = false) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(pages) * 128);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    if (bootLoader) {
        const char id[] = "KX6500_BOOT 1.0";
        std::memcpy(bytes.data() + 0x6B, id, sizeof id);
    }
    return bytes;
}

struct Rig {
    FakeDevice device;
    MemoryProgrammerSettings settings;
    FakeFiles files;
    RecordingBoxes boxes;
    RecordingView view;
    InlineRunner runner{boxes};
    std::unique_ptr<ProgrammerDialog> model;

    ProgrammerDialog& Open(const ProgrammerPresets& presets = {}, bool unattended = false) {
        model = std::make_unique<ProgrammerDialog>(
            ProgrammerDialog::Seams{device, settings, files, boxes, view, runner}, presets, unattended);
        runner.model = model.get();
        model->Open();
        return *model;
    }
    // A HEX file that exists and reads as the image.
    std::string File(const std::string& path, std::vector<unsigned char> image) {
        files.existing.insert(path);
        device.hexFiles[path] = std::move(image);
        return path;
    }
    ProgrammerPresets WithFile(const std::string& path, int action = 0) {
        ProgrammerPresets p;
        p.file = path;
        p.action = action;
        return p;
    }
};

}  // namespace

TEST(ProgrammerRules, ActionPresetsAndLockBits) {
    EXPECT_EQ(ActionIndexForPreset(2), 1);
    EXPECT_EQ(ActionIndexForPreset(3), 2);
    EXPECT_EQ(ActionIndexForPreset(4), 3);
    for (int other : {0, 1, 5, 32, -1}) EXPECT_EQ(ActionIndexForPreset(other), 0) << other;
    EXPECT_EQ(ActionButtons()[0].code, 3);
    EXPECT_EQ(ActionButtons()[1].code, 1);
    EXPECT_EQ(ActionButtons()[2].code, 2);
    EXPECT_EQ(ActionButtons()[3].code, 4);
    EXPECT_EQ(ActionButtons()[4].code, 32);

    const LockControls c = LockControlsFor(0x13);
    EXPECT_TRUE(c.bootBlock);
    EXPECT_TRUE(c.readProtect);
    EXPECT_EQ(c.writeProtection, 1);
    for (int bits = 0; bits < 0x20; ++bits) EXPECT_EQ(LockBitsOf(LockControlsFor(bits)), bits);
    EXPECT_EQ(LockControlsFor(0x0E).writeProtection, 7);
    EXPECT_STREQ(WriteProtectionEntries()[7], "All Memory Locked");
}

TEST(ProgrammerRules, ReadingAClockText) {
    EXPECT_EQ(ReadLeadingNumber("14.7456"), 14.7456);
    EXPECT_EQ(ReadLeadingNumber("  10 MHz"), 10.0);
    EXPECT_EQ(ReadLeadingNumber("+7.5x"), 7.5);
    EXPECT_EQ(ReadLeadingNumber(".5"), 0.5);
    EXPECT_EQ(ReadLeadingNumber("1.2e1"), 12.0);
    EXPECT_EQ(ReadLeadingNumber("12e"), 12.0);
    EXPECT_EQ(ReadLeadingNumber("-3"), -3.0);
    for (const char* none : {"", "MHz", "-", ".", "+.", "e5"}) EXPECT_FALSE(ReadLeadingNumber(none)) << none;
    EXPECT_EQ(ReadLeadingNumber("0x1A"), 0.0);  // a decimal number: the 0 before the x
    EXPECT_EQ(ClampClock(0), 3.0f);
    EXPECT_EQ(ClampClock(std::nanf("")), 3.0f);
    EXPECT_EQ(ClampClock(99), 24.0f);
    EXPECT_EQ(ClockEntryFor(14.7456f), 7);
    EXPECT_EQ(ClockEntryFor(10.0f), -1);
    EXPECT_EQ(ClockText(14.7456f), "14.7456");
    EXPECT_EQ(ClockText(3.0f), "3.0000");
}

TEST(ProgrammerRules, StoredClockIsALittleEndianSingle) {
    EXPECT_THAT(ClockBytes(14.7456f), ElementsAre(0xFA, 0xED, 0x6B, 0x41));
    EXPECT_EQ(ClockFromBytes({0xFA, 0xED, 0x6B, 0x41}), 14.7456f);
    EXPECT_FALSE(ClockFromBytes({0xFA, 0xED, 0x6B}));
    EXPECT_FALSE(ClockFromBytes({0, 0, 0, 0, 0}));
}

TEST(ProgrammerTexts, ResultsOfActionsAndQueries) {
    EXPECT_EQ(ActionResultText(SPI_RESULT_OK, true), "Operation completed successfully!");
    EXPECT_EQ(ActionResultText(SPI_RESULT_ABORTED, false), kAborted);
    EXPECT_EQ(ActionResultText(SPI_RESULT_READ_PROTECTED, true), "Device is read-protected!");
    EXPECT_EQ(ActionResultText(SPI_RESULT_PROGRAM_FAILED, false), "Programming failed!");
    EXPECT_EQ(ActionResultText(SPI_RESULT_PROGRAM_FAILED, true), "Flash test failed due to programming failure!");
    EXPECT_EQ(ActionResultText(SPI_RESULT_VERIFY_FAILED, false), "Verify failed!");
    EXPECT_EQ(ActionResultText(SPI_RESULT_VERIFY_FAILED, true), "Flash test failed due to verification failure!");
    EXPECT_EQ(ActionResultText(SPI_RESULT_NO_DEVICE, true), "Unable to contact a device on parallel port!");
    EXPECT_EQ(ActionResultText(0x80000042u, false), "Unknown error!");
    EXPECT_EQ(ActionResultText(7, true), "Unknown error!");
    EXPECT_EQ(DeviceQueryErrorText(0x13), "");
    EXPECT_EQ(DeviceQueryErrorText(255), "");
    EXPECT_EQ(DeviceQueryErrorText(SPI_RESULT_NO_DEVICE), "Unable to contact a device on parallel port!");
    EXPECT_EQ(DeviceQueryErrorText(256), "Unknown error during communication with device!");
    EXPECT_EQ(DeviceQueryErrorText(SPI_RESULT_ABORTED), "Unknown error during communication with device!");
}

TEST(ProgrammerDialogOpening, WithoutStoredSettings) {
    Rig rig;
    rig.device.ports = 2;
    ProgrammerDialog& d = rig.Open();
    EXPECT_THAT(d.PortEntries(), ElementsAre("LPT1", "LPT2"));
    EXPECT_EQ(d.PortSelection(), 0);
    EXPECT_EQ(d.ClockSelection(), 7);
    EXPECT_EQ(d.ClockEditText(), "14.7456");
    EXPECT_EQ(d.FileText(), "");
    EXPECT_THAT(rig.view.focus, ElementsAre(ProgrammerControl::FileEdit));
    EXPECT_EQ(d.ActionSelection(), 0);
    EXPECT_EQ(d.Status(), "Ready.");
    EXPECT_EQ(d.ProgressPercent(), 0);
    EXPECT_EQ(d.DeviceId(), "-");
    EXPECT_EQ(d.LockStatus(), "-");
    EXPECT_FALSE(d.Lock().bootBlock || d.Lock().readProtect || d.Lock().writeProtection);
    EXPECT_TRUE(rig.device.transactions.empty());
}

TEST(ProgrammerDialogOpening, StoredValuesAndTheirRules) {
    struct Case {
        StoredProgrammerSettings stored;
        int ports;
        int portSelection;
        float clock;
        int clockEntry;
    };
    auto clock = [](float mhz) {
        const auto b = ClockBytes(mhz);
        return std::vector<std::uint8_t>(b.begin(), b.end());
    };
    const Case cases[] = {
        {{true, std::nullopt, std::nullopt, clock(0.0f)}, 2, 0, 3.0f, 0},       // a stored clock of zero
        {{true, "x", 2, std::nullopt}, 2, 1, 3.0f, 0},                          // no clock value: zero
        {{true, std::nullopt, 1, std::vector<std::uint8_t>{1, 2, 3}}, 2, 0, 3.0f, 0},  // wrong size: missing
        {{true, std::nullopt, std::nullopt, clock(10.0f)}, 2, 0, 10.0f, -1},    // no port value: zero, then 1
        {{true, std::nullopt, 65538, clock(30.0f)}, 3, 1, 24.0f, 12},           // the port used as 16 bits
        {{true, std::nullopt, 70000, clock(std::nanf(""))}, 3, 2, 3.0f, 0},     // 4464: the last port
        {{false, "ignored", 2, clock(3.0f)}, 3, 0, 14.7456f, 7},                // without the key
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.device.ports = c.ports;
        rig.settings.stored = c.stored;
        ProgrammerDialog& d = rig.Open();
        EXPECT_EQ(d.PortSelection(), c.portSelection);
        EXPECT_EQ(d.ClockSelection(), c.clockEntry);
        EXPECT_EQ(d.ClockEditText(), ClockText(c.clock));
        EXPECT_EQ(d.FileText(), c.stored.keyExists ? c.stored.hexFile.value_or("") : "");
    }
}

TEST(ProgrammerDialogOpening, PresetsWinOverStoredValues) {
    Rig rig;
    rig.device.ports = 3;
    rig.settings.stored = {true, "/stored.hex", 3, std::vector<std::uint8_t>{0, 0, 0x40, 0x40}};  // 3.0 MHz
    rig.File("/work/fw/app.hex", Image(1));
    rig.files.existing.insert("fw/app.hex");
    ProgrammerPresets p = rig.WithFile("fw/app.hex", 4);
    p.lock = 0x0C;
    p.portIndex = 2;
    p.clockMHz = 11.0592f;
    ProgrammerDialog& d = rig.Open(p);
    EXPECT_EQ(d.FileText(), "/work/fw/app.hex");  // the full path
    EXPECT_EQ(rig.files.currentDirectory, "/work/fw");
    EXPECT_EQ(d.ActionSelection(), 3);
    EXPECT_EQ(d.Lock().writeProtection, 6);
    EXPECT_EQ(d.PortSelection(), 1);
    EXPECT_EQ(d.ClockSelection(), 5);
    EXPECT_THAT(rig.view.focus, ElementsAre(ProgrammerControl::DoIt));

    Rig missing;
    missing.settings.stored = rig.settings.stored;
    ProgrammerDialog& m = missing.Open(missing.WithFile("/nowhere.hex"));
    EXPECT_EQ(m.FileText(), "");  // not the stored file either
    EXPECT_EQ(missing.files.currentDirectory, "");

    Rig stored;
    stored.settings.stored = rig.settings.stored;
    EXPECT_EQ(stored.Open().FileText(), "/stored.hex");
    EXPECT_THAT(stored.view.focus, ElementsAre(ProgrammerControl::DoIt));
}

TEST(ProgrammerDialogClock, TextsAcceptedAndRejected) {
    Rig rig;
    ProgrammerDialog& d = rig.Open();
    d.SetClockEditText("14.7456");
    d.GetFromDevice();
    EXPECT_EQ(d.ClockSelection(), 7);
    ASSERT_EQ(rig.device.transactions.size(), 2u);
    EXPECT_FLOAT_EQ(rig.device.transactions[0].clockHz, 14745600.0f);

    d.SetClockEditText("10");
    d.GetFromDevice();
    EXPECT_EQ(d.ClockSelection(), -1);
    EXPECT_EQ(d.ClockEditText(), "10.0000");
    EXPECT_FLOAT_EQ(rig.device.transactions.back().clockHz, 10e6f);
    EXPECT_TRUE(rig.boxes.boxes.empty());

    for (const char* bad : {"2.5", "MHz", "", "24.01"}) {
        const std::size_t before = rig.device.transactions.size();
        d.SetClockEditText(bad);
        d.GetFromDevice();
        EXPECT_EQ(rig.device.transactions.size(), before) << bad;
        ASSERT_FALSE(rig.boxes.boxes.empty());
        EXPECT_EQ(rig.boxes.boxes.back().message.text,
                  "The given device clock frequency is incorrect.\nThe clock frequency must be between 3 and 24 MHz.");
        EXPECT_EQ(rig.boxes.boxes.back().message.caption, "Input Error!");
        EXPECT_EQ(rig.view.selected.back(), ProgrammerControl::ClockList);
        EXPECT_EQ(d.ClockEditText(), bad);  // left for the person to mend
    }
    EXPECT_EQ(rig.boxes.boxes.size(), 4u);

    d.SetClockEditText("24 MHz");
    d.GetFromDevice();
    EXPECT_EQ(d.ClockSelection(), 12);
}

TEST(ProgrammerDialogDevice, LockStatusAndIdentification) {
    Rig rig;
    rig.device.lockBits = 0x13;
    ProgrammerDialog& d = rig.Open();
    d.GetFromDevice();
    EXPECT_EQ(d.LockStatus(), " Read Lock,  boot write lock,\r\nUpper 512 bytes write locked.");
    EXPECT_EQ(d.DeviceId(), "01: Norvane KX6500 (Rev 1)");
    EXPECT_EQ(d.Status(), "Device information successfully obtained!");
    ASSERT_EQ(rig.device.transactions.size(), 2u);
    EXPECT_EQ(rig.device.transactions[0].action, SPI_ACTION_READ_LOCK_BITS);
    EXPECT_EQ(rig.device.transactions[1].action, SPI_ACTION_READ_SIGNATURE);
    for (const auto& t : rig.device.transactions) {
        EXPECT_EQ(t.spiRate, 300000);
        EXPECT_EQ(t.portBase, 0x378);
        EXPECT_FALSE(t.progress);
    }

    rig.device.lockBits = 0;
    rig.device.signature = 0x06;
    d.GetFromDevice();
    EXPECT_EQ(d.LockStatus(), "No Read Lock, No boot write lock,\r\nUpper 0 bytes write locked.");
    EXPECT_EQ(d.DeviceId(), "06: Norvane KX6500 (Rev 1)");
    rig.device.lockBits = 0x0E;
    d.GetFromDevice();
    EXPECT_EQ(d.LockStatus(), "No Read Lock, No boot write lock,\r\nUpper 32768 bytes write locked.");
    EXPECT_TRUE(rig.boxes.boxes.empty());
}

TEST(ProgrammerDialogDevice, QueryFailures) {
    for (unsigned failure : {SPI_RESULT_NO_DEVICE, 0x80000009u}) {
        Rig rig;
        rig.device.queryResult = failure;
        ProgrammerDialog& d = rig.Open();
        d.GetFromDevice();
        ASSERT_EQ(rig.boxes.boxes.size(), 1u);
        EXPECT_EQ(rig.boxes.boxes[0].message.text, DeviceQueryErrorText(failure));
        EXPECT_EQ(rig.boxes.boxes[0].message.caption, "Device Error!");
        EXPECT_EQ(rig.boxes.boxes[0].message.icon, tessary::MessageIcon::Stop);
        EXPECT_EQ(d.Status(), "Unable to obtain device information!");
        EXPECT_EQ(d.DeviceId(), "-");
        EXPECT_EQ(rig.device.transactions.size(), 1u);  // the signature is not asked for
        EXPECT_FALSE(d.Busy());
    }
}

TEST(ProgrammerDialogEnabling, EachActionButtonAndEachFlag) {
    using C = ProgrammerControl;
    // Per action: file controls, lock options.
    const bool expected[5][2] = {{true, true}, {true, true}, {true, false}, {true, false}, {false, false}};
    Rig rig;
    ProgrammerDialog& d = rig.Open();
    for (int a = 0; a < 5; ++a) {
        d.ChooseAction(a);
        EXPECT_EQ(d.Enabled(C::FileEdit), expected[a][0]) << a;
        EXPECT_EQ(d.Enabled(C::Browse), expected[a][0]) << a;
        EXPECT_EQ(d.Enabled(C::LockOptions), expected[a][1]) << a;
        for (C always : {C::PortList, C::ClockList, C::ActionButtons, C::GetFromDevice, C::DoIt, C::Exit})
            EXPECT_TRUE(d.Enabled(always));
    }

    struct Flag {
        bool ProgrammerPresets::*flag;
        std::vector<C> controls;
    };
    const Flag flags[] = {
        {&ProgrammerPresets::fileEnable, {C::FileEdit, C::Browse}},
        {&ProgrammerPresets::actionEnable, {C::ActionButtons}},
        {&ProgrammerPresets::readDeviceEnable, {C::GetFromDevice}},
        {&ProgrammerPresets::lockEnable, {C::LockOptions}},
        {&ProgrammerPresets::portEnable, {C::PortList}},
        {&ProgrammerPresets::clockEnable, {C::ClockList}},
    };
    const C all[] = {C::FileEdit, C::Browse, C::PortList, C::ClockList, C::ActionButtons, C::LockOptions,
                     C::GetFromDevice, C::DoIt, C::Exit};
    for (const auto& f : flags) {
        Rig one;
        ProgrammerPresets p;
        p.*f.flag = false;
        ProgrammerDialog& o = one.Open(p);
        for (C c : all) {
            const bool off = std::find(f.controls.begin(), f.controls.end(), c) != f.controls.end();
            EXPECT_EQ(o.Enabled(c), !off) << static_cast<int>(c);
        }
    }

    // Auto-run clears every flag; "Do It" and "Exit" stay.
    Rig autoRun;
    ProgrammerPresets p;
    p.autoRun = true;
    ProgrammerDialog& a = autoRun.Open(p);
    for (C c : all) EXPECT_EQ(a.Enabled(c), c == C::DoIt || c == C::Exit) << static_cast<int>(c);
}

TEST(ProgrammerDialogRun, BusyWhileTheWorkerRuns) {
    using C = ProgrammerControl;
    Rig rig;
    ProgrammerDialog& d = rig.Open(rig.WithFile(rig.File("/a.hex", Image(3)), 2));
    std::vector<std::string> seen;
    rig.device.whileProgramming = [&](int) {
        seen.push_back(d.ExitLabel());
        for (C c : {C::FileEdit, C::Browse, C::PortList, C::ClockList, C::ActionButtons, C::LockOptions,
                    C::GetFromDevice, C::DoIt})
            EXPECT_FALSE(d.Enabled(c));
        EXPECT_TRUE(d.Enabled(C::Exit));
    };
    d.DoIt();
    EXPECT_THAT(seen, ElementsAre("Abort", "Abort", "Abort"));
    EXPECT_STREQ(d.ExitLabel(), "Exit");
    EXPECT_TRUE(d.Enabled(C::DoIt));
    // The window is told where the focus goes: to "Abort" at the start, "Do It" at the end.
    EXPECT_EQ(rig.view.focus[rig.view.focus.size() - 2], C::Exit);
    EXPECT_EQ(rig.view.focus.back(), C::DoIt);
}

TEST(ProgrammerDialogRun, AbortEndsAtTheNextPageWithoutABox) {
    Rig rig;
    ProgrammerDialog& d = rig.Open(rig.WithFile(rig.File("/a.hex", Image(10))));
    rig.device.whileProgramming = [&](int page) {
        if (page == 3) d.ExitOrAbort();  // "Abort" while page 3 is written
    };
    d.DoIt();
    EXPECT_THAT(rig.device.programmedPages, ElementsAre(0, 1, 2, 3));
    EXPECT_EQ(rig.device.progressTexts.back(), "Programming Memory. (Page 0x04)");
    EXPECT_EQ(d.Status(), kAborted);
    EXPECT_EQ(d.ProgressPercent(), 0);
    EXPECT_TRUE(rig.boxes.boxes.empty());
    EXPECT_EQ(d.Result(), 0);
    EXPECT_EQ(rig.settings.writes, 0);
    EXPECT_EQ(rig.device.traceCloses, 1);
    EXPECT_TRUE(rig.view.closes.empty());  // "Abort" does not close

    // The request was consumed: the next run goes through.
    rig.device.whileProgramming = nullptr;
    d.DoIt();
    EXPECT_EQ(d.Result(), 1);
}

TEST(ProgrammerDialogRun, ProgramPatchesTheBootLoaderAndStoresTheSettings) {
    Rig rig;
    rig.device.ports = 2;
    const std::string file = rig.File("/fw/boot.hex", Image(4, true));
    ProgrammerPresets p = rig.WithFile(file, 1);  // the studio's 1: erase, program and verify
    p.lock = 0x13;
    p.portIndex = 2;
    p.clockMHz = 11.0592f;
    ProgrammerDialog& d = rig.Open(p);
    d.DoIt();
    ASSERT_EQ(rig.device.actions.size(), 1u);
    const RecordedTransaction& t = rig.device.actions[0];
    EXPECT_EQ(t.action, SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY);
    EXPECT_EQ(t.lockBits, 0x13);
    EXPECT_EQ(t.portBase, 0x478);
    EXPECT_EQ(t.spiRate, 300000);
    EXPECT_FLOAT_EQ(t.clockHz, 11059200.0f);
    EXPECT_TRUE(t.progress);
    EXPECT_EQ(t.image[0x39], 253);  // 57600 bit/s at 11.0592 MHz
    EXPECT_EQ(t.image[0x3A], 14);
    EXPECT_THAT(std::vector<unsigned char>(t.image.begin() + 0x6B, t.image.begin() + 0x6F), ElementsAre(0, 0x78, 0x46, 0x46));
    EXPECT_EQ(rig.device.transactions.size(), 5u);  // queries before and after
    EXPECT_EQ(d.Result(), 1);
    EXPECT_EQ(d.Status(), "Operation completed successfully!");
    EXPECT_EQ(d.ProgressPercent(), 0);
    EXPECT_EQ(rig.settings.stored.hexFile, file);
    EXPECT_EQ(rig.settings.stored.port, 2);
    EXPECT_EQ(ClockFromBytes(*rig.settings.stored.clockBytes), 11.0592f);
    EXPECT_EQ(rig.device.traceCloses, 1);
    EXPECT_GT(rig.view.progressPaints, 0);
    EXPECT_EQ(rig.runner.reports.back().first, "Programming Memory. (Page 0x03)");
}

TEST(ProgrammerDialogRun, AnImageWithoutTheBootLoaderIsProgrammedUnchanged) {
    Rig rig;
    std::vector<unsigned char> image = Image(4);
    image[0x6B] = 'K';  // close to the identification, but not it
    const std::string file = rig.File("/plain.hex", image);
    ProgrammerDialog& d = rig.Open(rig.WithFile(file, 2));
    d.DoIt();
    ASSERT_EQ(rig.device.actions.size(), 1u);
    EXPECT_EQ(rig.device.actions[0].action, SPI_ACTION_PROGRAM);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.device.actions[0].image.begin()));
    EXPECT_EQ(rig.device.actions[0].image[image.size()], 0xFF);
}

TEST(ProgrammerDialogRun, FlashTestNeedsNoFileAndLeavesTheSettings) {
    Rig rig;
    ProgrammerDialog& d = rig.Open();
    d.ChooseAction(4);
    d.DoIt();
    EXPECT_THAT(rig.device.flashTests, ElementsAre(16));
    EXPECT_TRUE(rig.device.actions.empty());
    EXPECT_EQ(d.Result(), 1);
    EXPECT_EQ(d.Status(), "Operation completed successfully!");
    EXPECT_EQ(rig.settings.writes, 0);
    EXPECT_FALSE(rig.settings.stored.keyExists);

    rig.device.actionResult = SPI_RESULT_VERIFY_FAILED;
    d.DoIt();
    ASSERT_EQ(rig.boxes.boxes.size(), 1u);
    EXPECT_EQ(rig.boxes.boxes[0].message.text, "Flash test failed due to verification failure!");
    EXPECT_EQ(rig.boxes.boxes[0].message.caption, "Error!");
    EXPECT_EQ(d.Result(), 0);
}

TEST(ProgrammerDialogRun, FailuresShowABoxAndStoreNothing) {
    Rig rig;
    const std::string file = rig.File("/a.hex", Image(2));
    ProgrammerDialog& d = rig.Open(rig.WithFile(file, 3));
    d.DoIt();
    EXPECT_EQ(d.Result(), 1);
    rig.settings.writes = 0;
    struct Case {
        unsigned result;
        const char* text;
    };
    for (const Case& c : {Case{SPI_RESULT_VERIFY_FAILED, "Verify failed!"}, Case{0x80000042u, "Unknown error!"},
                          Case{SPI_RESULT_NO_DEVICE, "Unable to contact a device on parallel port!"}}) {
        rig.boxes.boxes.clear();
        rig.device.actionResult = c.result;
        d.DoIt();
        ASSERT_EQ(rig.boxes.boxes.size(), 1u);
        EXPECT_EQ(rig.boxes.boxes[0].message.text, c.text);
        EXPECT_EQ(rig.boxes.boxes[0].message.caption, "Error!");
        EXPECT_EQ(rig.boxes.boxes[0].message.icon, tessary::MessageIcon::Stop);
        EXPECT_EQ(d.Status(), c.text);
        EXPECT_EQ(d.Result(), 0);  // the last run counts
    }
    EXPECT_EQ(rig.settings.writes, 0);
}

TEST(ProgrammerDialogRun, InputErrorsStopBeforeTheDevice) {
    Rig rig;
    ProgrammerDialog& d = rig.Open(rig.WithFile(""));
    d.SetFileText("/missing.hex");
    d.DoIt();
    EXPECT_THAT(rig.boxes.Texts(), ElementsAre("Unable to find the specified HEX-file."));
    EXPECT_EQ(rig.boxes.boxes[0].message.caption, "Input Error!");
    EXPECT_THAT(rig.view.selected, ElementsAre(ProgrammerControl::FileEdit));

    rig.files.existing.insert("/unreadable.hex");  // the reader shows its own message
    d.SetFileText("/unreadable.hex");
    d.DoIt();
    EXPECT_EQ(rig.boxes.boxes.size(), 1u);

    d.ChooseAction(-1);
    d.DoIt();
    EXPECT_EQ(rig.boxes.boxes.back().message.text, "No action is selected!");
    EXPECT_TRUE(rig.device.transactions.empty());
    EXPECT_EQ(rig.runner.started, 0);
    EXPECT_TRUE(rig.view.closes.empty());
}

TEST(ProgrammerDialogRun, ReadAsksBeforeOverwritingAndWritesTheFile) {
    Rig rig;
    rig.files.existing.insert("/out.hex");
    ProgrammerDialog& d = rig.Open(rig.WithFile("/out.hex", 4));
    d.DoIt();  // Cancel
    ASSERT_EQ(rig.boxes.boxes.size(), 1u);
    EXPECT_EQ(rig.boxes.boxes[0].kind, "ok/cancel");
    EXPECT_EQ(rig.boxes.boxes[0].message.text,
              "The specified HEX-file already exists.\n Are you sure you want to overwrite it?");
    EXPECT_EQ(rig.boxes.boxes[0].message.icon, tessary::MessageIcon::Question);
    EXPECT_TRUE(rig.device.transactions.empty());

    rig.boxes.answers = {true};
    d.DoIt();
    ASSERT_EQ(rig.device.actions.size(), 1u);
    EXPECT_EQ(rig.device.actions[0].action, SPI_ACTION_READ);
    EXPECT_THAT(rig.device.written, ElementsAre("/out.hex"));
    EXPECT_EQ(rig.device.writtenImage[0x101], static_cast<unsigned char>(0x101 * 13));
    EXPECT_EQ(d.Result(), 1);
    EXPECT_EQ(rig.settings.stored.hexFile, "/out.hex");

    // A file that cannot be written: the read did not do what was asked.
    rig.settings = {};
    rig.device.writeFails = true;
    d.SetFileText("/new.hex");
    d.DoIt();
    EXPECT_EQ(rig.boxes.boxes.size(), 2u);  // no question for a new file; the writer shows its own message
    EXPECT_EQ(d.Result(), 0);
    EXPECT_EQ(d.Status(), "Unable to write the specified HEX-file.");
    EXPECT_EQ(rig.settings.writes, 0);
}

TEST(ProgrammerDialogRun, ReadLockedDeviceAsksBeforeReadAndVerify) {
    Rig rig;
    rig.device.lockBits = 0x01;
    const std::string file = rig.File("/a.hex", Image(1));
    ProgrammerDialog& d = rig.Open(rig.WithFile(file, 3));
    d.DoIt();  // No
    ASSERT_EQ(rig.boxes.boxes.size(), 1u);
    EXPECT_EQ(rig.boxes.boxes[0].kind, "yes/no");
    EXPECT_EQ(rig.boxes.boxes[0].message.text, "The device has read lock enabled.\nAttempt to perform action anyway?");
    EXPECT_EQ(rig.boxes.boxes[0].message.caption, "Error!");
    EXPECT_EQ(d.Status(), "Aborted due to read-locked device.");
    EXPECT_EQ(d.ProgressPercent(), 100);
    EXPECT_TRUE(rig.device.actions.empty());

    rig.boxes.answers = {true};
    d.DoIt();
    EXPECT_EQ(rig.device.actions.size(), 1u);

    d.ChooseAction(0);  // programming erases the lock: no question
    d.DoIt();
    EXPECT_EQ(rig.boxes.boxes.size(), 2u);
    EXPECT_EQ(rig.device.actions.size(), 2u);
}

TEST(ProgrammerDialogAutoRun, ClosesFourSecondsAfterTheRun) {
    Rig rig;
    ProgrammerPresets p = rig.WithFile(rig.File("/a.hex", Image(2)), 2);
    p.autoRun = true;
    ProgrammerDialog& d = rig.Open(p);
    EXPECT_TRUE(rig.device.transactions.empty());  // not before the window is up
    d.StartAutoRun();
    EXPECT_EQ(rig.device.actions.size(), 1u);
    EXPECT_THAT(rig.view.closes, ElementsAre(4000));
    EXPECT_FALSE(d.Enabled(ProgrammerControl::DoIt));
    EXPECT_FALSE(d.Enabled(ProgrammerControl::Exit));
    d.ExitOrAbort();
    d.DoIt();
    EXPECT_EQ(rig.view.closes.size(), 1u);
    EXPECT_EQ(rig.device.actions.size(), 1u);
    EXPECT_EQ(d.Result(), 1);
}

TEST(ProgrammerDialogAutoRun, UnattendedStopsCloseAtOnce) {
    auto autoRun = [](Rig& rig, ProgrammerPresets p, bool unattended) -> ProgrammerDialog& {
        p.autoRun = true;
        ProgrammerDialog& d = rig.Open(p, unattended);
        d.StartAutoRun();
        return d;
    };
    {
        Rig rig;  // the file edit is empty
        autoRun(rig, {}, true);
        EXPECT_THAT(rig.view.closes, ElementsAre(0));
        Rig attended;
        ProgrammerDialog& d = autoRun(attended, {}, false);
        EXPECT_TRUE(attended.view.closes.empty());
        EXPECT_FALSE(d.AutoRun());
    }
    {
        Rig rig;  // a declined question
        rig.files.existing.insert("/out.hex");
        ProgrammerDialog& d = autoRun(rig, rig.WithFile("/out.hex", 4), true);
        EXPECT_THAT(rig.view.closes, ElementsAre(0));
        EXPECT_EQ(d.Result(), 0);
        EXPECT_TRUE(rig.device.transactions.empty());
    }
    {
        Rig rig;  // an input error: the file cannot be read
        rig.files.existing.insert("/bad.hex");
        autoRun(rig, rig.WithFile("/bad.hex"), true);
        EXPECT_THAT(rig.view.closes, ElementsAre(0));
        Rig attended;
        attended.files.existing.insert("/bad.hex");
        autoRun(attended, attended.WithFile("/bad.hex"), false);
        EXPECT_TRUE(attended.view.closes.empty());
    }
    {
        Rig rig;  // a failed device query
        rig.device.queryResult = SPI_RESULT_NO_DEVICE;
        autoRun(rig, rig.WithFile(rig.File("/a.hex", Image(1))), true);
        EXPECT_THAT(rig.view.closes, ElementsAre(0));
        EXPECT_TRUE(rig.device.actions.empty());
    }
}

TEST(ProgrammerDialogButtons, ExitAndBrowse) {
    Rig rig;
    rig.files.existing.insert("/fw");
    ProgrammerDialog& d = rig.Open(rig.WithFile(rig.File("/fw/a.hex", Image(1)), 4));
    rig.files.choices = {std::string("/fw/b.hex"), std::nullopt};
    d.Browse();
    EXPECT_EQ(d.FileText(), "/fw/b.hex");
    EXPECT_EQ(rig.files.chooserCalls[0], std::make_pair(true, std::string("/fw/a.hex")));  // a save chooser for the read
    d.ChooseAction(2);
    rig.files.currentDirectory.clear();
    d.Browse();  // cancelled
    EXPECT_EQ(d.FileText(), "/fw/b.hex");
    EXPECT_FALSE(rig.files.chooserCalls[1].first);
    EXPECT_EQ(rig.files.currentDirectory, "/fw");
    d.ExitOrAbort();
    EXPECT_THAT(rig.view.closes, ElementsAre(0));
    EXPECT_EQ(d.Result(), 0);
}
