// Memory through the driver: the monitor's hidden resources, the served ranges, the
// cache in the host's image, and flash pages.
#include <gtest/gtest.h>

#include "common/Crc16.h"
#include "tests/monitor/DriverRig.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {

constexpr std::uint32_t X(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_XDATA, offset); }
constexpr std::uint32_t D(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_DATA, offset); }
constexpr std::uint32_t I(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_IDATA, offset); }
constexpr std::uint32_t C(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_CODE, offset); }
constexpr std::uint16_t kSave = 0x07E0;

// A started driver whose program stopped in bank 2 with SP 0x30.
struct MemoryRig : DriverRig {
    MemoryRig() {
        Start();
        monitor.Saved(0) = 0x11;  // ACC
        monitor.Saved(1) = 0x10;  // PSW: bank 2
        monitor.Saved(2) = 0x22;  // DPL
        monitor.Saved(3) = 0x33;  // DPH
        monitor.Saved(6) = 0x30;  // SP
        for (int r = 0; r < 8; ++r) monitor.Saved(7 + r) = static_cast<std::uint8_t>(0xA0 + r);
        monitor.Saved(15) = 0x21;  // TMOD
        monitor.Saved(21) = 0x10;  // CKCON
    }
};

}  // namespace

TEST(DriverMemory, XdataAcrossTheSaveAreaReadsZerosAndIsCachedAfterwards) {
    MemoryRig rig;
    const auto r = rig.Read(X(0x07D0), 0x30);
    ASSERT_EQ(r.result, AG_OK);
    EXPECT_EQ(r.errorAddress, 0u);
    for (std::uint32_t a = 0x07D0; a < 0x0800; ++a) {
        const bool hidden = a >= kSave && a < kSave + 22u;
        EXPECT_EQ(r.bytes[a - 0x07D0], hidden ? 0 : rig.monitor.xdata[a]) << std::hex << a;
    }
    EXPECT_EQ(rig.Requests(cmd::kRegisterBuffer), 1);
    EXPECT_EQ(rig.Requests(cmd::kReadXdata), 1);
    rig.Clear();
    EXPECT_EQ(rig.Read(X(0x07D0), 0x30).bytes, r.bytes);
    EXPECT_TRUE(rig.monitor.requests.empty());  // from the cache
    EXPECT_EQ(rig.Read(X(0x07D0), 0x30, AG_MEM_READ_CODE).bytes[0], rig.monitor.code[0x07D0]);  // code 4: program memory
}

TEST(DriverMemory, TwoKilobytesOfXdataGoInChunksOf128) {
    MemoryRig rig;
    const auto r = rig.Read(X(0), 0x800);
    ASSERT_EQ(r.result, AG_OK);
    const auto reads = rig.RequestsOf(cmd::kReadXdata);
    ASSERT_EQ(reads.size(), 16u);
    for (std::size_t i = 0; i < reads.size(); ++i)
        EXPECT_EQ(reads[i].data, (std::vector<std::uint8_t>{static_cast<std::uint8_t>(i / 2),
                                                            static_cast<std::uint8_t>(i % 2 * 0x80), 0x80}));
    EXPECT_EQ(r.bytes[0x123], rig.monitor.xdata[0x123]);
}

TEST(DriverMemory, OutsideTheServedRangesNothingIsSent) {
    MemoryRig rig;
    rig.Read(X(0), 1);  // the save area's address is known from here on
    rig.Clear();
    auto r = rig.Read(X(0x0800), 4);
    EXPECT_EQ(r.result, AG_READ_ERROR);
    EXPECT_EQ(r.errorAddress, X(0x0800));
    EXPECT_EQ(r.bytes, std::vector<std::uint8_t>(4, 0));
    EXPECT_EQ(rig.Read(C(0x8000), 2).errorAddress, C(0x8000));
    EXPECT_EQ(rig.Read(I(0x80), 2).result, AG_READ_ERROR);
    EXPECT_EQ(rig.Write(X(0x0900), {1}).result, AG_WRITE_ERROR);
    // The monitor's flash from 0x7600 is never written.
    r = rig.Write(C(0x75FF), {1, 2});
    EXPECT_EQ(r.result, AG_WRITE_ERROR);
    EXPECT_EQ(r.errorAddress, C(0x7600));
    EXPECT_TRUE(rig.monitor.requests.empty());
    EXPECT_FALSE(rig.driver.Link().Failed());

    // A read that runs past the end gets its served part.
    r = rig.Read(X(0x07FE), 4);
    EXPECT_EQ(r.result, AG_READ_ERROR);
    EXPECT_EQ(r.errorAddress, X(0x0800));
    EXPECT_EQ(r.bytes, (std::vector<std::uint8_t>{rig.monitor.xdata[0x7FE], rig.monitor.xdata[0x7FF], 0, 0}));
    EXPECT_EQ(rig.RequestsOf(cmd::kReadXdata).back().data, (std::vector<std::uint8_t>{0x07, 0xFE, 2}));
}

TEST(DriverMemory, InternalRamShowsTheSavedBankAndHidesTheMonitorStack) {
    MemoryRig rig;
    const auto r = rig.Read(D(0), 0x80);
    ASSERT_EQ(r.result, AG_OK);
    for (int a = 0; a < 0x80; ++a) {
        std::uint8_t expected = rig.monitor.iram[a];
        if (a >= 0x10 && a < 0x18) expected = static_cast<std::uint8_t>(0xA0 + a - 0x10);
        if (a >= 0x31 && a <= 0x34) expected = 0;
        EXPECT_EQ(r.bytes[a], expected) << a;
    }
    // The same memory through indirect addressing, from the cache the read filled.
    rig.Clear();
    EXPECT_EQ(rig.Read(I(0x10), 8).bytes, std::vector<std::uint8_t>(r.bytes.begin() + 0x10, r.bytes.begin() + 0x18));
    EXPECT_TRUE(rig.monitor.requests.empty());
}

TEST(DriverMemory, SavedSfrsShowTheProgramsValuesAndReadMasksApply) {
    MemoryRig rig;
    rig.monitor.sfr[0xA0] = 0x00;
    rig.monitor.sfr[0xA6] = 0xF2;
    const auto r = rig.Read(D(0x80), 0x80);
    ASSERT_EQ(r.result, AG_OK);
    auto at = [&](int sfr) { return r.bytes[static_cast<std::size_t>(sfr - 0x80)]; };
    EXPECT_EQ(at(0xE0), 0x11);  // ACC
    EXPECT_EQ(at(0xD0), 0x10);  // PSW
    EXPECT_EQ(at(0x82), 0x22);
    EXPECT_EQ(at(0x83), 0x33);
    EXPECT_EQ(at(0x81), 0x30);
    EXPECT_EQ(at(0x89), 0x21);
    EXPECT_EQ(at(0x8E), 0x10);
    EXPECT_EQ(at(0xB9), rig.monitor.Saved(18));
    EXPECT_EQ(at(0xA0), 0x02);  // bit 1 shown set
    EXPECT_EQ(at(0xA6), 0xF1);  // bits 0 and 1 shown as 01
    EXPECT_EQ(at(0xC8), rig.monitor.sfr[0xC8]);
}

TEST(DriverMemory, VectorBytesShowTheUsersResetJump) {
    MemoryRig rig;
    rig.Write(C(0x0001), {0x12, 0x34});
    const auto r = rig.Read(C(0), 0x40);
    ASSERT_EQ(r.result, AG_OK);
    EXPECT_EQ(r.bytes[0], 0x02);
    EXPECT_EQ(r.bytes[1], 0x12);
    EXPECT_EQ(r.bytes[2], 0x34);
    for (int a = 0x33; a <= 0x3D; ++a) EXPECT_EQ(r.bytes[a], 0xFF) << a;
    EXPECT_EQ(r.bytes[0x10], rig.monitor.code[0x10]);
}

TEST(DriverMemory, XdataWriteOverTheSaveAreaWritesTheRestAndWarns) {
    MemoryRig rig;
    const std::uint8_t saved = rig.monitor.xdata[kSave];
    const auto w = rig.Write(X(kSave - 2), {1, 2, 3, 4});
    EXPECT_EQ(w.result, AG_OK);
    EXPECT_EQ(rig.monitor.xdata[kSave - 2], 1);
    EXPECT_EQ(rig.monitor.xdata[kSave - 1], 2);
    EXPECT_EQ(rig.monitor.xdata[kSave], saved);
    ASSERT_EQ(rig.Output().size(), 1u);
    EXPECT_EQ(rig.Output()[0], "WARNING: 22 bytes of Xdata are used for register buffering, and cannot be overwritten!\n");
    EXPECT_EQ(rig.log->callbacks.back().first, HOST_CB_REFRESH);
    rig.Clear();
    EXPECT_EQ(rig.Read(X(kSave - 2), 4).bytes, (std::vector<std::uint8_t>{1, 2, 0, 0}));
    EXPECT_TRUE(rig.monitor.requests.empty());  // the write left what the target holds in the cache
}

TEST(DriverMemory, RegisterBankWritesGoToTheSaveAreaAndTheMonitorStackIsKept) {
    MemoryRig rig;
    const std::uint8_t iram13 = rig.monitor.iram[0x13], iram31 = rig.monitor.iram[0x31];
    EXPECT_EQ(rig.Write(D(0x13), {0x5A}).result, AG_OK);  // R3 of bank 2
    EXPECT_EQ(rig.monitor.Saved(10), 0x5A);
    EXPECT_EQ(rig.monitor.iram[0x13], iram13);
    std::uint32_t r3 = 0;
    EXPECT_EQ(rig.driver.RegAcc(1, 3, &r3), AG_OK);
    EXPECT_EQ(r3, 0x5Au);

    EXPECT_EQ(rig.Write(D(0x30), {7, 8}).result, AG_OK);
    EXPECT_EQ(rig.monitor.iram[0x30], 7);
    EXPECT_EQ(rig.monitor.iram[0x31], iram31);
    EXPECT_EQ(rig.Output().back(), "WARNING: Stack used by the debug monitor cannot be overwritten!\n");
    EXPECT_EQ(rig.Read(I(0x30), 2).bytes, (std::vector<std::uint8_t>{7, 0}));
}

TEST(DriverMemory, SfrWritesKeepTheMonitorsBits) {
    MemoryRig rig;
    rig.monitor.sfr[0xA0] = 0x02;
    rig.monitor.sfr[0xA6] = 0x02;
    rig.monitor.sfr[0x86] = 0x00;
    rig.monitor.sfr[0xE7] = 0x05;
    std::vector<std::uint8_t> all(0x80, 0xFF);
    EXPECT_EQ(rig.Write(D(0x80), all).result, AG_OK);
    EXPECT_EQ(rig.monitor.Saved(1), 0xF7);  // PSW: the bank bits stay
    EXPECT_EQ(rig.monitor.Saved(6), 0x30);  // SP untouched
    EXPECT_EQ(rig.monitor.Saved(0), 0xFF);  // ACC into the save area
    EXPECT_NE(rig.monitor.sfr[0xE0], 0xFF);
    EXPECT_EQ(rig.monitor.sfr[0x86], 0x00);
    EXPECT_EQ(rig.monitor.sfr[0xE7], 0x05);
    EXPECT_EQ(rig.monitor.sfr[0xA0], 0xFF);
    EXPECT_EQ(rig.monitor.sfr[0xA6], 0xFE);
    EXPECT_EQ(rig.monitor.sfr[0xC8], 0xFF);
    EXPECT_EQ(rig.Output(), std::vector<std::string>{
                                "WARNING: PSW.RS0 and PSW.RS1 (register bank select) can only be changed by the "
                                "8051-program!\n"});
    // The ports are read back after the write.
    int portReads = 0;
    for (const Frame& f : rig.RequestsOf(cmd::kReadSfr)) portReads += f.data == std::vector<std::uint8_t>{0x90, 1};
    EXPECT_EQ(portReads, 1);
}

TEST(DriverMemory, WritesLeaveWhatTheTargetHoldsInTheCache) {
    MemoryRig rig;
    rig.Read(D(0), 0x100);
    rig.Write(X(0x10), {1, 2, 3});
    rig.Write(D(0xC8), {0x44});  // an ordinary register: cached as written
    rig.Write(D(0x90), {0x44});  // a port: the pins decide
    rig.Clear();
    EXPECT_EQ(rig.Read(X(0x10), 3).bytes, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(rig.Read(D(0xC8), 1).bytes[0], 0x44);
    EXPECT_TRUE(rig.monitor.requests.empty());
    rig.monitor.sfr[0x90] = 0x40;
    EXPECT_EQ(rig.Read(D(0x90), 1).bytes[0], 0x40);
    EXPECT_EQ(rig.Requests(cmd::kReadSfr), 1);

    // After a PSW write the bank bytes of internal RAM are read again.
    rig.Write(D(0xD0), {0x80});
    rig.Clear();
    rig.Read(D(0x10), 1);
    EXPECT_EQ(rig.Requests(cmd::kReadInternal), 1);
}

TEST(DriverMemory, LongWritesGoAsHeaderAndDataPer128Bytes) {
    MemoryRig rig;
    std::vector<std::uint8_t> bytes(300);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(rig.Write(X(0x100), bytes).result, AG_OK);
    const auto headers = rig.RequestsOf(cmd::kWriteHeader);
    ASSERT_EQ(headers.size(), 3u);
    EXPECT_EQ(headers[0].data, (std::vector<std::uint8_t>{0xCC, 0x01, 0x00, 128}));
    EXPECT_EQ(headers[1].data, (std::vector<std::uint8_t>{0xCC, 0x01, 0x80, 128}));
    EXPECT_EQ(headers[2].data, (std::vector<std::uint8_t>{0xCC, 0x02, 0x00, 44}));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), rig.monitor.xdata.begin() + 0x100));
}

TEST(DriverMemory, ProgramWritesGoThroughThePageBufferAndAreChecked) {
    MemoryRig rig;
    const std::vector<std::uint8_t> buffer(rig.monitor.xdata.begin(), rig.monitor.xdata.begin() + 128);
    std::vector<std::uint8_t> page(rig.monitor.code.begin() + 0x100, rig.monitor.code.begin() + 0x180);
    EXPECT_EQ(rig.Write(C(0x0105), {0x11, 0x22}).result, AG_OK);
    page[5] = 0x11;
    page[6] = 0x22;
    EXPECT_TRUE(std::equal(page.begin(), page.end(), rig.monitor.code.begin() + 0x100));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), rig.monitor.xdata.begin()));  // put back
    EXPECT_EQ(rig.RequestsOf(cmd::kLoadPage).at(0).data, (std::vector<std::uint8_t>{0x01, 0x00, 0x80}));
    EXPECT_EQ(rig.RequestsOf(cmd::kProgramPage).at(0).data, std::vector<std::uint8_t>{2});
    EXPECT_EQ(rig.Requests(cmd::kPageCrc), 1);
    rig.Clear();
    EXPECT_EQ(rig.Read(C(0x0105), 2).bytes, (std::vector<std::uint8_t>{0x11, 0x22}));
    EXPECT_TRUE(rig.monitor.requests.empty());

    // A whole page needs nothing from the flash.
    EXPECT_EQ(rig.Write(C(0x0200), std::vector<std::uint8_t>(128, 0x5A)).result, AG_OK);
    EXPECT_EQ(rig.Requests(cmd::kLoadPage), 0);
    EXPECT_EQ(rig.monitor.code[0x27F], 0x5A);
}

TEST(DriverMemory, APageTheFlashDoesNotTakeIsWrittenAgainThenReported) {
    MemoryRig rig;
    rig.monitor.failPrograms = 3;
    EXPECT_EQ(rig.Write(C(0x0300), {1}).result, AG_OK);
    EXPECT_EQ(rig.monitor.pagePrograms, 4);
    EXPECT_EQ(rig.monitor.code[0x300], 1);

    rig.monitor.pagePrograms = 0;
    rig.monitor.failPrograms = 100;
    const auto w = rig.Write(C(0x0305), {9, 9});
    EXPECT_EQ(w.result, AG_WRITE_ERROR);
    EXPECT_EQ(w.errorAddress, C(0x0305));
    EXPECT_EQ(rig.monitor.pagePrograms, 10);
    EXPECT_FALSE(rig.driver.Link().Failed());  // the link is fine; the flash is not
}

TEST(DriverMemory, ProgramWriteOverTheVectorsKeepsTheMonitorsBytes) {
    MemoryRig rig;
    const std::vector<std::uint8_t> flash(rig.monitor.code.begin(), rig.monitor.code.begin() + 0x40);
    EXPECT_EQ(rig.Write(C(0), {0x02, 0x12, 0x34, 0x99}).result, AG_OK);
    EXPECT_EQ(rig.monitor.code[0], flash[0]);
    EXPECT_EQ(rig.monitor.code[2], flash[2]);
    EXPECT_EQ(rig.monitor.code[3], 0x99);
    EXPECT_EQ(rig.monitor.code[0x37], 0x12);  // the user's reset jump takes the new target
    EXPECT_EQ(rig.monitor.code[0x38], 0x34);
    EXPECT_EQ(rig.monitor.code[0x39], flash[0x39]);
}

TEST(DriverMemory, AFailedReadZerosTheRestAndEndsDebugging) {
    MemoryRig rig;
    rig.Read(X(0), 1);
    rig.monitor.override = [](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code == cmd::kReadXdata && f.data.at(1) == 0x80) return std::vector<std::uint8_t>{};
        return std::nullopt;
    };
    const auto r = rig.Read(X(0), 0x100);
    EXPECT_EQ(r.result, AG_READ_ERROR);
    EXPECT_EQ(r.errorAddress, X(0x80));
    EXPECT_EQ(r.bytes[0x7F], rig.monitor.xdata[0x7F]);
    EXPECT_EQ(r.bytes[0x80], 0);
    EXPECT_EQ(r.bytes[0xFF], 0);
    ASSERT_FALSE(rig.notifier.shown.empty());
    EXPECT_EQ(rig.notifier.shown.back().text.rfind("Communication failure!", 0), 0u);
    EXPECT_TRUE(rig.Posted(HOST_MSG_END_DEBUG));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.Attr(X(0)) & HOST_ATTR_CACHED, 0);  // the range left the cache
    EXPECT_EQ(rig.Read(X(0), 1).result, AG_NOT_ACCESSIBLE);
}
