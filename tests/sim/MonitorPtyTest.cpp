// kx6500-sim serving its debug monitor on a pseudo-terminal, driven by the tests' own
// client: every command and every refusal, the save area and the monitor's stack bytes,
// a step, runs stopped on request and at a breakpoint written into flash, the
// replacement mechanism stepping over it, an SDCC-built program under debug, and the
// flash file from one run to the next.
#include <gtest/gtest.h>
#include <signal.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/Crc16.h"
#include "tests/sim/MonitorClient.h"
#include "tests/support/ShellRun.h"
#include "tests/support/SimProcess.h"

namespace fs = std::filesystem;
using simtest::Bytes;
using simtest::MonitorClient;
using simtest::Reply;
using tessary::testing::SimProcess;

namespace {

constexpr std::uint8_t kXdata = 0xCC, kInternal = 0xAA, kSpecial = 0xEE;
constexpr unsigned kSaveArea = 0x07E8;
const Reply kDone{0xF0, {}};
const Reply kRefused{0xFF, {}};
Reply Status(std::uint8_t s) { return {0x55, {s}}; }

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

using tessary::testing::Bin;
using tessary::testing::ProgramRun;
using tessary::testing::Shell;

// The data records of an Intel HEX file: address and bytes.
std::map<unsigned, std::uint8_t> ReadHex(const fs::path& path) {
    std::map<unsigned, std::uint8_t> bytes;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 11 || line[0] != ':') continue;
        auto at = [&line](std::size_t i) { return static_cast<unsigned>(std::stoul(line.substr(1 + 2 * i, 2), nullptr, 16)); };
        if (at(3) != 0) continue;
        const unsigned address = at(1) << 8 | at(2);
        for (unsigned i = 0; i < at(0); ++i) bytes[address + i] = static_cast<std::uint8_t>(at(4 + i));
    }
    return bytes;
}

class MonitorPty : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_monitorpty_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // A simulator with a client on its pseudo-terminal, the monitor ready.
    void Start(std::vector<std::string> args = {}) {
        sim = std::make_unique<SimProcess>(args, std::map<std::string, std::string>{{"LPTLINK_SIM_FLASH", ""}});
        ASSERT_TRUE(sim->Started()) << sim->Err();
        client = std::make_unique<MonitorClient>(sim->PtyPath());
        ASSERT_TRUE(client->Ok());
        ASSERT_TRUE(client->WaitReady());
    }
    Reply Request(std::uint8_t code, const Bytes& data = {}) {
        return client->Request(code, data).value_or(Reply{0x01, client->LastBytes()});
    }
    void Write(std::uint8_t space, unsigned address, const Bytes& bytes) {
        ASSERT_TRUE(client->Write(space, address, bytes)) << std::hex << address;
    }
    int Saved(int offset) { return client->Read(0x11, kSaveArea + static_cast<unsigned>(offset), 1).value_or(Bytes{0})[0]; }
    int SavedPc() { return Saved(4) << 8 | Saved(5); }
    void SetSavedPc(unsigned pc) {
        Write(kXdata, kSaveArea + 4, {static_cast<std::uint8_t>(pc >> 8), static_cast<std::uint8_t>(pc)});
    }
    // A page of flash through the monitor's page buffer, as an upload does it.
    void ProgramPage(int page, const Bytes& bytes) {
        ASSERT_EQ(bytes.size(), 128u);
        Write(kXdata, 0x0000, Bytes(bytes.begin(), bytes.begin() + 64));
        Write(kXdata, 0x0040, Bytes(bytes.begin() + 64, bytes.end()));
        ASSERT_EQ(Request(0x40, {static_cast<std::uint8_t>(page)}), kDone);
    }
    // Changes flash bytes with 0x41 (page into the buffer), 0x21 and 0x40.
    void PatchFlash(unsigned address, const Bytes& bytes) {
        const unsigned page = address / 128;
        ASSERT_EQ(Request(0x41, {static_cast<std::uint8_t>(page >> 1), static_cast<std::uint8_t>((page & 1) << 7), 0x80}),
                  kDone);
        Write(kXdata, address % 128, bytes);
        ASSERT_EQ(Request(0x40, {static_cast<std::uint8_t>(page)}), kDone);
    }
    Bytes Code(unsigned address, int count) { return client->Read(0x12, address, count).value_or(Bytes{}); }
    void Step() {
        ASSERT_EQ(Request(0x80), Status(0x06));
        ASSERT_EQ(client->Poll(), 0x02);
        ASSERT_EQ(Request(0x81), Status(0x00));
    }

    fs::path dir;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MonitorClient> client;
};

Bytes Page(std::initializer_list<std::uint8_t> start) {
    Bytes page(128, 0xFF);
    std::copy(start.begin(), start.end(), page.begin());
    return page;
}

}  // namespace

TEST_F(MonitorPty, ServesEveryCommandAndRefusesWhatItCannot) {
    Start();
    EXPECT_EQ(Request(0x18), (Reply{0xE8, {0x07, 0xE8}}));
    // The boot loader's vector patch for 14.7456 MHz.
    EXPECT_EQ(Code(0x0000, 3), (Bytes{0x02, 0x76, 0x00}));
    EXPECT_EQ(Code(0x0033, 11), (Bytes{0x02, 0x76, 0x57, 0x02, 0x76, 0x00, 252, 19, 0x02, 0x76, 0x4B}));
    // Page CRCs of the pages as stored.
    Bytes page0 = Code(0x0000, 128);
    const std::uint16_t crc = tessary::Crc16(page0);
    EXPECT_EQ(Request(0x1A, {0}), (Reply{0xEA, {static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)}}));

    // Writes and reads of each space.
    Write(kXdata, 0x0100, {1, 2, 3});
    EXPECT_EQ(client->Read(0x11, 0x0100, 3), (Bytes{1, 2, 3}));
    Write(kInternal, 0x40, {0x77, 0x78});
    EXPECT_EQ(client->Read(0x10, 0x40, 2), (Bytes{0x77, 0x78}));
    Write(kSpecial, 0xF0, {0x5C});  // B
    EXPECT_EQ(client->Read(0x14, 0xF0, 1), (Bytes{0x5C}));
    EXPECT_EQ(client->Read(0x11, 0x0000, 128)->size(), 128u);
    // A header stays in force: a repeated data frame writes the same bytes again.
    Write(kXdata, 0x0200, {9});
    Write(kXdata, 0x0200, {8});
    EXPECT_EQ(Request(0x21, {7}), kDone);
    EXPECT_EQ(client->Read(0x11, 0x0200, 1), (Bytes{7}));

    // Flash: a page programmed from XDATA 0x0000 to 0x007F, loaded back with 0x41.
    ProgramPage(4, Page({0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(Code(0x0200, 5), (Bytes{0xDE, 0xAD, 0xBE, 0xEF, 0xFF}));
    Write(kXdata, 0x0000, {0, 0, 0, 0});
    EXPECT_EQ(Request(0x41, {0x02, 0x00, 0x80}), kDone);
    EXPECT_EQ(client->Read(0x11, 0x0000, 4), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));

    const std::pair<std::uint8_t, Bytes> refused[] = {
        {0x33, {}},                           // unknown
        {0x10, {0x00, 0x01, 0x02}},           // wrong length
        {0x18, {0x00}},
        {0x10, {0x7F, 2}},                    // past internal RAM
        {0x11, {0x07, 0xFF, 2}},              // past XDATA
        {0x12, {0x7F, 0xFF, 2}},              // past the flash
        {0x14, {0x7F, 1}},                    // below the SFRs
        {0x11, {0x00, 0x00, 129}},            // above 128
        {0x11, {0x00, 0x00, 0}},
        {0x20, {0x55, 0x00, 0x00, 1}},        // no such space
        {0x20, {kXdata, 0x07, 0xFF, 2}},
        {0x21, {1}},                          // no header in force after a refused one
        {0x40, {236}},                        // the monitor's pages
        {0x40, {255}},
        {0x41, {0x80, 0x00, 0x80}},
        {0x41, {0x01, 0x40, 0x80}},
        {0x41, {0x01, 0x00, 0x40}},
        {0x1A, {}},
    };
    for (const auto& [code, data] : refused) EXPECT_EQ(Request(code, data), kRefused) << std::hex << int(code);
    Write(kXdata, 0x0300, {1, 2});
    EXPECT_EQ(Request(0x21, {1, 2, 3}), kRefused);  // another count than the header's
    EXPECT_EQ(Code(0x7600, 2), (Bytes{0x80, 0xFE}));  // the monitor's pages were left alone

    // A bad CRC gets no reply; a frame broken off is dropped after 20 ms.
    Bytes bad = MonitorClient::Frame(0x18);
    bad[3] ^= 1;
    client->SendRaw(bad);
    EXPECT_FALSE(client->Receive(300));
    client->SendRaw({0x11, 0x03});
    Sleep(60);
    EXPECT_EQ(client->Poll(), 0x00);

    // The line stays usable from one client to the next.
    client->Close();
    MonitorClient next(sim->PtyPath());
    EXPECT_EQ(next.Poll(), 0x00);
    EXPECT_EQ(sim->Stop(), 0);
    EXPECT_NE(sim->Err().find("refused), 2 bad frames (1 bad CRC, 1 incomplete)"), std::string::npos) << sim->Err();
}

TEST_F(MonitorPty, TheSaveAreaTheStackBytesAndAStep) {
    Start();
    // After a power-on: PC 0x0000, the program's SP 7; above it the four bytes the monitor
    // pushed (its return address 0x7648, ACC and PSW); in the registers its own values.
    Bytes area = client->SaveArea();
    ASSERT_EQ(area.size(), 22u);
    EXPECT_EQ(area[4] << 8 | area[5], 0x0000);
    EXPECT_EQ(area[6], 0x07);
    EXPECT_EQ(client->Read(0x10, 0x08, 4), (Bytes{0x48, 0x76, 0x00, 0x00}));
    EXPECT_EQ(client->Read(0x14, 0x81, 3), (Bytes{0x0B, 0xE8, 0x07}));  // SP, DPL, DPH
    EXPECT_EQ(client->Read(0x14, 0xE0, 1), (Bytes{0x55}));
    EXPECT_EQ(client->Read(0x14, 0x89, 1), (Bytes{0x20}));  // TMOD: timer 1 for the bit rate
    EXPECT_EQ(client->Read(0x14, 0x8D, 1), (Bytes{252}));

    // MOV A,#0x42; MOV R3,#0x33; MOV DPTR,#0x1234; SJMP $
    ProgramPage(2, Page({0x74, 0x42, 0x7B, 0x33, 0x90, 0x12, 0x34, 0x80, 0xFE}));
    SetSavedPc(0x0100);
    Step();
    EXPECT_EQ(SavedPc(), 0x0102);
    EXPECT_EQ(Saved(0), 0x42);
    EXPECT_EQ(client->Read(0x14, 0xE0, 1), (Bytes{0x55}));  // the live ACC is the monitor's again
    // A write to the live register is lost on resuming; one to the save area is not.
    Write(kSpecial, 0xE0, {0x99});
    Write(kInternal, 0x03, {0x98});  // R3 of bank 0
    Step();
    EXPECT_EQ(Saved(0), 0x42);
    EXPECT_EQ(Saved(10), 0x33);
    Write(kXdata, kSaveArea + 0, {0x01});
    Write(kXdata, kSaveArea + 10, {0x21});
    Step();
    EXPECT_EQ(SavedPc(), 0x0107);
    EXPECT_EQ(Saved(0), 0x01);
    EXPECT_EQ(Saved(10), 0x21);
    EXPECT_EQ(Saved(2) | Saved(3) << 8, 0x1234);

    // A power-on reset: starting for 50 ms, then ready with PC 0x0000 again.
    sim->Signal(SIGUSR1);
    Sleep(5);
    EXPECT_EQ(client->Poll(), 0x04);
    EXPECT_TRUE(client->WaitReady());
    EXPECT_EQ(SavedPc(), 0x0000);
    EXPECT_EQ(Code(0x0100, 2), (Bytes{0x74, 0x42}));  // the flash kept
}

TEST_F(MonitorPty, RunsStopOnRequestAndAtABreakpointWrittenIntoFlash) {
    Start();
    // loop: INC 0x30; INC 0x31; SJMP loop
    ProgramPage(2, Page({0x05, 0x30, 0x05, 0x31, 0x80, 0xFA}));
    SetSavedPc(0x0100);
    EXPECT_EQ(Request(0x82), Status(0x02));
    EXPECT_EQ(Request(0x84), kDone);
    Sleep(50);
    EXPECT_EQ(client->Poll(), 0x0C);  // stopped on request
    EXPECT_EQ(client->Poll(), 0x00);
    const int pc = SavedPc();
    EXPECT_TRUE(pc >= 0x0100 && pc <= 0x0105) << pc;
    const Bytes counts = *client->Read(0x10, 0x30, 1);
    EXPECT_GT(counts[0], 0);
    // 0x88 stops it too.
    EXPECT_EQ(Request(0x82), Status(0x02));
    EXPECT_EQ(Request(0x84), kDone);
    Sleep(20);
    EXPECT_EQ(Request(0x88), kDone);
    EXPECT_EQ(client->Poll(), 0x00);

    // A breakpoint on INC 0x31: the 0xA5 reaches the monitor through the FWI vector,
    // which reports the stop unasked with the PC after the 0xA5.
    PatchFlash(0x0102, {0xA5});
    EXPECT_EQ(Code(0x0100, 4), (Bytes{0x05, 0x30, 0xA5, 0x31}));
    Write(kInternal, 0x30, {0, 0});
    SetSavedPc(0x0100);
    EXPECT_EQ(Request(0x82), Status(0x02));
    EXPECT_EQ(Request(0x84), kDone);
    EXPECT_EQ(client->Receive(1000), Status(0x04));
    EXPECT_EQ(client->Poll(), 0x00);
    EXPECT_EQ(SavedPc(), 0x0103);
    EXPECT_EQ(client->Read(0x10, 0x30, 2), (Bytes{1, 0}));

    // The replacement mechanism steps over it: the replaced opcode in RDATA, its address
    // in RADRL and RADRH, the PC rewound.
    SetSavedPc(0x0102);
    Write(kXdata, kSaveArea + 18, {0x05, 0x02, 0x01});
    Step();
    EXPECT_EQ(SavedPc(), 0x0104);
    EXPECT_EQ(client->Read(0x10, 0x30, 2), (Bytes{1, 1}));
    // Without it the breakpoint stops the step again.
    SetSavedPc(0x0102);
    Write(kXdata, kSaveArea + 18, {0, 0, 0});
    Step();
    EXPECT_EQ(SavedPc(), 0x0103);
    EXPECT_EQ(client->Read(0x10, 0x31, 1), (Bytes{1}));
}

TEST_F(MonitorPty, AnSdccProgramStopsAtAPlantedBreakpointWithItsOwnRegisters) {
    const ProgramRun sdcc = Shell("cd " + dir.string() + " && sdcc -mmcs51 --code-loc 0x0100 " TESSARY_SOURCE_DIR
                                  "/tests/sim/programs/monitor_regs.c");
    ASSERT_EQ(sdcc.status, 0) << sdcc.out;
    std::ifstream mapFile(dir / "monitor_regs.map");
    std::stringstream map;
    map << mapFile.rdbuf();
    // The map's line "C:   00000162  _breakpoint_here ...".
    const std::string mapText = map.str();
    const std::size_t label = mapText.find("  _breakpoint_here");
    ASSERT_NE(label, std::string::npos) << mapText;
    const std::size_t line = mapText.rfind("C:", label);
    ASSERT_NE(line, std::string::npos);
    const auto breakpoint = static_cast<unsigned>(std::stoul(mapText.substr(line + 2, label - line - 2), nullptr, 16));
    const auto hex = ReadHex(dir / "monitor_regs.ihx");
    ASSERT_FALSE(hex.empty());
    EXPECT_GE(hex.begin()->first, 0x0100u);

    Start();
    // Upload as the driver does: the program's pages, the user's reset jump at 0x0036.
    std::map<int, Bytes> pages;
    for (const auto& [address, byte] : hex) {
        Bytes& page = pages.try_emplace(static_cast<int>(address / 128), Code(address / 128 * 128, 128)).first->second;
        page[address % 128] = byte;
    }
    for (const auto& [page, bytes] : pages) ProgramPage(page, bytes);
    PatchFlash(0x0036, {0x02, 0x01, 0x00});
    PatchFlash(breakpoint, {0xA5});
    SetSavedPc(0x0036);

    for (int round = 1; round <= 3; ++round) {
        EXPECT_EQ(Request(0x82), Status(0x02));
        EXPECT_EQ(Request(0x84), kDone);
        ASSERT_EQ(client->Receive(2000), Status(0x04)) << round;
        EXPECT_EQ(client->Poll(), 0x00);
        const Bytes area = client->SaveArea();
        ASSERT_EQ(area.size(), 22u);
        EXPECT_EQ(area[4] << 8 | area[5], static_cast<int>(breakpoint + 1));
        EXPECT_EQ(area[0], 0x40 + round);  // ACC
        EXPECT_EQ(area[2] | area[3] << 8, 0x1234);
        EXPECT_EQ(Bytes(area.begin() + 7, area.begin() + 15), (Bytes{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}));
        // Its return address lies on its own stack below the monitor's four bytes.
        const Bytes stack = *client->Read(0x10, area[6] - 1u, 2);
        EXPECT_GT(stack[1] << 8 | stack[0], 0x0100);
        // Go on over the breakpoint with the replaced NOP.
        SetSavedPc(breakpoint);
        Write(kXdata, kSaveArea + 18,
              {0x00, static_cast<std::uint8_t>(breakpoint), static_cast<std::uint8_t>(breakpoint >> 8)});
        Step();
        Write(kXdata, kSaveArea + 18, {0, 0, 0});
    }
}

TEST_F(MonitorPty, TheFlashFileSurvivesARestartAndKxprogReadsItBack) {
    const fs::path flash = dir / "flash.bin";
    Start({"--flash", flash.string()});
    ProgramPage(3, Page({0x11, 0x22, 0x33}));
    client->Close();
    EXPECT_EQ(sim->Stop(), 0);
    EXPECT_EQ(fs::file_size(flash), 32768u);

    Start({"--flash", flash.string()});
    EXPECT_EQ(Code(0x0180, 4), (Bytes{0x11, 0x22, 0x33, 0xFF}));
    client->Close();
    EXPECT_EQ(sim->Stop(), 0);

    const ProgramRun read = Shell("LPTLINK_SIM_FLASH=" + flash.string() + " " + Bin() +
                                  "/kxprog --no-progress --rate 100000000 read " + (dir / "read.hex").string());
    ASSERT_EQ(read.status, 0) << read.out;
    const auto hex = ReadHex(dir / "read.hex");
    EXPECT_EQ(hex.at(0x0180), 0x11);
    EXPECT_EQ(hex.at(0x0182), 0x33);
    EXPECT_EQ(hex.at(0x0000), 0x02);
    EXPECT_EQ(hex.at(0x7601), 0xFE);

    // kxprog erases the chip before it programs: the boot loader is gone, the target silent.
    std::ofstream(dir / "p.hex") << ":0400000074A580FE65\n:00000001FF\n";
    const ProgramRun program = Shell("LPTLINK_SIM_FLASH=" + flash.string() + " " + Bin() +
                                     "/kxprog --no-progress --rate 100000000 program " + (dir / "p.hex").string());
    ASSERT_EQ(program.status, 0) << program.out;
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--flash", flash.string()});
    ASSERT_TRUE(sim->Started());
    MonitorClient silent(sim->PtyPath());
    EXPECT_FALSE(silent.Poll(300));
    silent.Send(0x88);
    EXPECT_TRUE(silent.Drain(300).empty());
    EXPECT_EQ(sim->Stop(), 0);
}

TEST_F(MonitorPty, NoMonitorWrongRateHelpAndErrors) {
    SimProcess quiet({"--no-monitor"});
    ASSERT_TRUE(quiet.Started());
    MonitorClient none(quiet.PtyPath());
    EXPECT_FALSE(none.Poll(300));
    EXPECT_EQ(quiet.Stop(), 0);

    // A PC at 115 200 bit/s against the monitor's 57 600 gets nothing it can use.
    SimProcess wrong;
    ASSERT_TRUE(wrong.Started());
    MonitorClient fast(wrong.PtyPath(), 115200);
    for (int i = 0; i < 3; ++i) EXPECT_NE(fast.Poll(200), 0x00);
    EXPECT_EQ(wrong.Stop(), 0);
    EXPECT_NE(wrong.Err().find("115200 bit/s"), std::string::npos) << wrong.Err();

    ProgramRun r = Shell(Bin() + "/kx6500-sim --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--wire-time"), std::string::npos);
    EXPECT_NE(r.out.find("SIGUSR1"), std::string::npos);
    // Too few descriptors for the pseudo-terminal's two sides.
    const fs::path said = dir / "said.txt";
    r = Shell("(exec >" + said.string() + " 2>&1 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-; ulimit -n 4; exec " + Bin() +
              "/kx6500-sim)");
    EXPECT_EQ(r.status, 2) << r.out;
    std::ifstream saidFile(said);
    const std::string message((std::istreambuf_iterator<char>(saidFile)), std::istreambuf_iterator<char>());
    EXPECT_NE(message.find("kx6500-sim: cannot create a pseudo-terminal ("), std::string::npos) << message;
    r = Shell(Bin() + "/kx6500-sim --flash " + (dir / "no/such/dir/f.bin").string());
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("f.bin"), std::string::npos) << r.out;
}
