#include "studio/config/CDeviceDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessary;

namespace {

// Records the order in which the dialog's OK reaches the frame and the document.
struct Trace : DeviceSelectionHost, DocumentView {
    explicit Trace(TessaryDocument& d) : doc(d) { doc.AddView(this); }
    ~Trace() override { doc.RemoveView(this); }
    void ShowConfigurationView(DeviceKind device) override {
        steps.push_back("show " + std::string(DeviceName(device)));
    }
    void SetDocumentTitle(std::string_view title) override { steps.push_back("title " + std::string(title)); }
    void OnUpdate() override {
        steps.push_back("refresh number=" + std::to_string(static_cast<int>(doc.config.kx400.deviceNumber)) +
                        " applied=" + std::to_string(doc.settingsApplied));
    }
    TessaryDocument& doc;
    std::vector<std::string> steps;
};

}  // namespace

TEST(CDeviceDlg, PreselectsTheStoredDefaultWhichIsKX900WhenAbsent) {
    TessaryDocument doc;
    MemorySettingsStore profile;
    CDeviceDlg dlg(doc, profile);
    EXPECT_FALSE(dlg.Selection());
    dlg.OnOpen();
    EXPECT_EQ(dlg.Selection(), 1);

    MemorySettingsStore stored;
    stored.WriteInt("Settings", "DeviceDefault", 4);
    CDeviceDlg dlg2(doc, stored);
    dlg2.OnOpen();
    EXPECT_EQ(dlg2.Selection(), 4);
}

TEST(CDeviceDlg, StoredDefaultOutsideTheListSelectsNothing) {
    TessaryDocument doc;
    for (int bad : {5, -1, 100}) {
        MemorySettingsStore profile;
        profile.WriteInt("Settings", "DeviceDefault", bad);
        CDeviceDlg dlg(doc, profile);
        dlg.OnOpen();
        EXPECT_FALSE(dlg.Selection()) << bad;
        Trace trace(doc);
        EXPECT_FALSE(dlg.OnOK(trace));  // nothing to select: nothing happens
        EXPECT_TRUE(trace.steps.empty());
    }
}

TEST(CDeviceDlg, LaterOpeningsKeepTheLastSelection) {
    TessaryDocument doc;
    MemorySettingsStore profile;
    CDeviceDlg dlg(doc, profile);
    dlg.OnOpen();
    dlg.Select(3);
    profile.WriteInt("Settings", "DeviceDefault", 0);
    dlg.OnOpen();
    EXPECT_EQ(dlg.Selection(), 3);
}

TEST(CDeviceDlg, OkRunsItsStepsInOrder) {
    TessaryDocument doc;
    doc.config.kx6200.rfA = 433.92;
    doc.settingsApplied = true;
    MemorySettingsStore profile;
    CDeviceDlg dlg(doc, profile);
    dlg.OnOpen();
    dlg.Select(0);
    Trace trace(doc);
    ASSERT_TRUE(dlg.OnOK(trace));
    // The refresh sees the KX400 number and its reset, before the flag is cleared.
    EXPECT_EQ(trace.steps, (std::vector<std::string>{"show KX400", "title KX400", "refresh number=4 applied=1"}));
    EXPECT_FALSE(doc.settingsApplied);
    EXPECT_EQ(profile.ReadInt("Settings", "DeviceDefault", -7), 0);
    EXPECT_EQ(doc.config.kx400.rf, 433920000);
    EXPECT_EQ(doc.config.kx6200.rfA, 433.92);  // KX400 reset leaves the other blocks

    dlg.Select(2);
    trace.steps.clear();
    ASSERT_TRUE(dlg.OnOK(trace));
    EXPECT_EQ(doc.config.kx400.deviceNumber, -1);
    EXPECT_EQ(doc.config.kx6200.rfA, 868.2972);  // full reset
    EXPECT_EQ(trace.steps.front(), "show KX6200");
}

TEST(CDeviceDlg, SetAsDefaultWritesTheSelection) {
    TessaryDocument doc;
    MemorySettingsStore profile;
    CDeviceDlg dlg(doc, profile);
    dlg.SetAsDefault();
    EXPECT_FALSE(profile.Has("Settings", "DeviceDefault"));
    dlg.Select(2);
    dlg.SetAsDefault();
    EXPECT_EQ(profile.ReadInt("Settings", "DeviceDefault", -1), 2);
}
