#include "lptlink/core/PortDriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakePlatform.h"

using namespace lptlink;
using lptlink::testing::FakePlatform;
using lptlink::testing::ProcessExit;
using ::testing::ElementsAre;

namespace {

std::vector<std::string> Without(const std::vector<std::string>& calls, const std::string& prefix) {
    std::vector<std::string> kept;
    for (const auto& c : calls)
        if (c.rfind(prefix, 0) != 0) kept.push_back(c);
    return kept;
}

// The service-manager and device calls only, in order.
std::vector<std::string> ServiceCalls(const FakePlatform& p) {
    std::vector<std::string> kept;
    for (const auto& c : p.calls)
        if (c.rfind("ioctl", 0) != 0 && c.rfind("read", 0) != 0 && c.rfind("write", 0) != 0) kept.push_back(c);
    return kept;
}

}  // namespace

TEST(PortDriverRequest, LayoutAndCodes) {
    PortDriverRequest r;
    r.SetWord(PortDriverRequest::kPort, 0x378);
    r.SetWord(PortDriverRequest::kData, 0xA5);
    EXPECT_EQ(r.bytes[28], 0x78);
    EXPECT_EQ(r.bytes[29], 0x03);
    EXPECT_EQ(r.bytes[32], 0xA5);
    EXPECT_EQ(r.Word(28), 0x378u);
    EXPECT_EQ(RequestCode(kMapMemory, false), 0x80002068u);
    EXPECT_EQ(RequestCode(kReadPort, false), 0x8000202Cu);
    EXPECT_EQ(RequestCode(kWritePort, false), 0x80002030u);
    EXPECT_EQ(RequestCode(kMapMemory, true), 26u);
    EXPECT_EQ(RequestCode(kWritePort, true), 12u);
}

TEST(PortDriver, InitReadsThePortTableThroughTheMapRequest) {
    FakePlatform p;
    p.biosTable = {0x378, 0x278, 0};
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.State().portCount, 2);
    EXPECT_EQ(d.GetNumParPorts(), 2);
    EXPECT_EQ(d.GetParPortBaseAdr(1), 0x378);
    EXPECT_EQ(d.GetParPortBaseAdr(2), 0x278);
    EXPECT_EQ(d.State().currentIndex, 2);
    EXPECT_THAT(p.calls, ::testing::Contains("ioctl " + std::to_string(0x80002068u)));
    EXPECT_TRUE(p.messages.shown.empty());
}

TEST(PortDriver, NoPortsInTheTable) {
    FakePlatform p;
    p.biosTable = {0, 0, 0};
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.State().portCount, 0);
    EXPECT_EQ(d.GetNumParPorts(), 1);
    EXPECT_EQ(d.GetParPortBaseAdr(1), 0);
}

TEST(PortDriver, Lpt1AndLpt3Only) {
    FakePlatform p;
    p.biosTable = {0x378, 0, 0x3BC};
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.GetNumParPorts(), 2);
    EXPECT_EQ(d.GetParPortBaseAdr(2), 0);  // the count, not the table, limits the index
    EXPECT_EQ(d.GetParPortBaseAdr(3), 0);  // above the count: selection unchanged
    EXPECT_EQ(d.State().currentIndex, 2);
    EXPECT_EQ(d.GetParPortBaseAdr(1), 0x378);
    EXPECT_EQ(d.GetParPortBaseAdr(0), 0x378);
    EXPECT_EQ(d.GetParPortBaseAdr(-4), 0x378);
    EXPECT_EQ(d.State().currentIndex, 1);
}

TEST(PortDriver, MapFailureLeavesNoTableAndTheDefaultBase) {
    FakePlatform p;
    p.mapWorks = false;
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.GetNumParPorts(), 1);
    EXPECT_EQ(d.GetParPortBaseAdr(1), 0x378);
}

TEST(PortDriver, ReadAndWriteGoThroughRequestBlocks) {
    FakePlatform p;
    PortDriver d(p);
    EXPECT_EQ(d.Read(0x379), 0);  // before Init
    d.Write(0x378, 0x12);
    EXPECT_EQ(d.DirectRead(0x379), 0xFF);
    d.DirectWrite(0x378, 1);
    EXPECT_TRUE(p.calls.empty());

    ASSERT_EQ(d.Init(), 1);
    p.backend->Registers()[0x379] = 0x7F;
    p.calls.clear();
    d.Write(0x378, 0x1AB);
    EXPECT_EQ(d.Read(0x379), 0x7F);
    EXPECT_THAT(p.calls, ElementsAre("ioctl " + std::to_string(0x80002030u), "write 888=171",
                                     "ioctl " + std::to_string(0x8000202Cu), "read 889"));
    p.calls.clear();
    d.DirectWrite(0x37A, 0x04);
    EXPECT_EQ(d.DirectRead(0x37A), 0x04);
    EXPECT_THAT(p.calls, ElementsAre("write 890=4", "read 890"));
}

TEST(PortDriver, InitTwiceOpensTheDriverOnce) {
    FakePlatform p;
    PortDriver d(p);
    EXPECT_EQ(d.Init(), 1);
    EXPECT_EQ(d.Init(), 1);
    EXPECT_EQ(p.deviceOpens, 1);
    EXPECT_EQ(d.Release(), 1);
    EXPECT_EQ(d.Release(), 1);  // not initialised: nothing to do
    EXPECT_EQ(d.Read(0x378), 0);
    EXPECT_FALSE(p.DeviceOpen());
}

TEST(PortDriver, MarkerIsCleanedAndRegistered) {
    FakePlatform p;
    p.names[kMarkerName] = 3;  // left over by processes that died
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(p.names[kMarkerName], 1);
    d.Release();
    EXPECT_EQ(p.names.count(kMarkerName), 0u);
}

TEST(PortDriver, MarkerRegisteredMeanwhileRefusesToStart) {
    FakePlatform p;
    p.registerAtAbsentLookup = 2;  // right after the clean-up found nothing
    PortDriver d(p);
    EXPECT_EQ(d.Init(), 0);
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, kInUseMessage);
    EXPECT_EQ(p.messages.shown[0].caption, kDriverTitle);
    EXPECT_EQ(p.deviceOpens, 0);
}

TEST(PortDriver, RunningServiceIsLeftAlone) {
    FakePlatform p;  // service installed and running: the device opens at once
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.State().servicePreInstalled, 1u);
    EXPECT_EQ(d.State().servicePreRunning, 1u);
    ASSERT_EQ(d.Release(), 1);
    EXPECT_THAT(ServiceCalls(p), ElementsAre("device open \\\\.\\TVICPORT", "device close"));
    EXPECT_TRUE(p.serviceRunning);
    EXPECT_TRUE(p.serviceExists);
}

TEST(PortDriver, StoppedServiceIsStartedAndStoppedAgain) {
    FakePlatform p;
    p.serviceRunning = false;
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.State().servicePreInstalled, 1u);
    EXPECT_EQ(d.State().servicePreRunning, 0u);
    ASSERT_EQ(d.Release(), 1);
    EXPECT_THAT(ServiceCalls(p),
                ElementsAre("device open \\\\.\\TVICPORT", "scm open 983103", "start TVICPORT",
                            "device open \\\\.\\TVICPORT", "scm close", "device close", "scm open 983103",
                            "stop TVICPORT", "scm close"));
    EXPECT_FALSE(p.serviceRunning);
    EXPECT_TRUE(p.serviceExists);
}

TEST(PortDriver, ServiceTheLibraryCreatedIsStoppedAndDeleted) {
    FakePlatform p;
    p.serviceExists = false;
    p.serviceRunning = false;
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(d.State().servicePreInstalled, 0u);
    ASSERT_EQ(d.Release(), 1);
    EXPECT_THAT(ServiceCalls(p),
                ElementsAre("device open \\\\.\\TVICPORT", "scm open 983103", "start TVICPORT",
                            "create TVICPORT TVICPORT C:\\WINDOWS\\SYSTEM32\\DRIVERS\\TVICPORT.SYS", "start TVICPORT",
                            "device open \\\\.\\TVICPORT", "scm close", "device close", "scm open 983103",
                            "stop TVICPORT", "delete TVICPORT", "scm close"));
    EXPECT_FALSE(p.serviceExists);
}

TEST(PortDriver, DriverThatCannotBeLoadedIsReportedAndCleanedUp) {
    FakePlatform p;
    p.serviceExists = false;
    p.serviceRunning = false;
    p.managerAvailable = false;
    PortDriver d(p);
    EXPECT_EQ(d.Init(), 0);
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, "Unable to load the parallel port driver!");
    EXPECT_EQ(p.messages.shown[0].caption, "Norvane Parallel Port Driver Error");
    EXPECT_FALSE(d.Initialised());
    EXPECT_EQ(d.Read(0x378), 0);
    EXPECT_EQ(p.names[kMarkerName], 1);  // the marker stays registered
    // Two full attempts were made.
    EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "device open \\\\.\\TVICPORT"), 2);

    // A service that exists but does not start: creating it "succeeds" (it exists), it
    // still does not start, and the retry's close deletes it because pre-installed was
    // cleared; the retry then installs it afresh.
    FakePlatform q;
    q.serviceRunning = false;
    q.serviceStartable = false;
    PortDriver e(q);
    EXPECT_EQ(e.Init(), 1);
    EXPECT_THAT(q.calls, ::testing::Contains("delete TVICPORT"));
    EXPECT_EQ(e.State().servicePreInstalled, 0u);
}

TEST(PortDriver, DeviceThatWillNotCloseFailsTheRelease) {
    FakePlatform p;
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    p.deviceClosable = false;
    EXPECT_EQ(d.Release(), 0);
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, "Unable to release the parallel port driver!\nSystem might behave erratically.");
    EXPECT_TRUE(d.Initialised());
    p.deviceClosable = true;
    EXPECT_EQ(d.Release(), 1);
}

TEST(PortDriver, MissingNtDriverFileIsWrittenAndNeverReplaced) {
    FakePlatform p;
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    const std::string path = "C:\\WINDOWS\\SYSTEM32\\drivers\\tvicport.sys";
    ASSERT_EQ(p.files.count(path), 1u);
    EXPECT_EQ(p.files[path][0], 1002 & 0xFF);
    d.Release();
    p.files[path] = {9};
    p.calls.clear();
    ASSERT_EQ(d.Init(), 1);
    EXPECT_EQ(p.files[path], std::vector<std::uint8_t>{9});
    EXPECT_THAT(p.calls, ::testing::Not(::testing::Contains("write file " + path)));
}

TEST(PortDriver, NtDriverFileThatCannotBeCreatedEndsTheProcess) {
    FakePlatform p;
    p.filesWritable = false;
    PortDriver d(p);
    try {
        d.Init();
        FAIL() << "the process should have ended";
    } catch (const ProcessExit& e) {
        EXPECT_EQ(e.code, 1);
    }
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, "Filename is \"C:\\WINDOWS\\SYSTEM32\\drivers\\tvicport.sys\"");
    EXPECT_EQ(p.messages.shown[0].caption, "Error!");
}

TEST(PortDriver, OlderFamilyUsesTheVxdAndPlainCodes) {
    FakePlatform p;
    p.older = true;
    p.filesWritable = false;  // no message and no exit on the older family
    PortDriver d(p);
    ASSERT_EQ(d.Init(), 1);
    EXPECT_THAT(p.calls, ::testing::Contains("write file C:\\WINDOWS\\SYSTEM32\\tvicport.vxd"));
    EXPECT_THAT(p.calls, ::testing::Contains("device open \\\\.\\TVICPORT.VXD"));
    EXPECT_THAT(p.calls, ::testing::Contains("ioctl 26"));
    p.calls.clear();
    d.Write(0x378, 1);
    d.Read(0x379);
    EXPECT_THAT(Without(p.calls, "write 8"), ElementsAre("ioctl 12", "ioctl 11", "read 889"));
    ASSERT_EQ(d.Release(), 1);
    for (const auto& c : p.calls) EXPECT_EQ(c.rfind("scm", 0), std::string::npos) << c;
    EXPECT_TRUE(p.messages.shown.empty());
}
