#pragma once
// A driver over the scripted port and fake monitor, with a host of the test's own: the
// host's memory image and register block, a breakpoint list, a program-counter
// variable, and a log of the callbacks and messages the host received.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/core/HostImage.h"
#include "monitor/driver/MonitorDriver.h"
#include "tests/monitor/ScriptedPort.h"

namespace kx6500mon::testing {

// What the host saw; the record's functions are plain functions, so they report here.
struct HostLog {
    std::vector<std::pair<std::uint32_t, std::string>> callbacks;
    std::vector<std::pair<std::uintptr_t, std::string>> posts;
    std::vector<HostProgress> progress;
    std::vector<std::string> progressTexts;
    const HostRegisterPage* page = nullptr;
    std::function<void(const char*)> onCommand;  // a breakpoint's command line
    kxdebug::HostImage image;
};

inline HostLog* g_log = nullptr;

inline std::intptr_t RigCallback(std::uint32_t code, void* argument) {
    const bool text = code == HOST_CB_COMMAND || code == HOST_CB_NOTICE;
    g_log->callbacks.push_back({code, text && argument ? static_cast<const char*>(argument) : ""});
    if (code == HOST_CB_REGISTER_PAGE) g_log->page = static_cast<const HostRegisterPage*>(argument);
    if (code == HOST_CB_PROGRESS && argument) {
        const auto* p = static_cast<const HostProgress*>(argument);
        g_log->progress.push_back(*p);
        g_log->progressTexts.push_back(p->text ? p->text : "");
    }
    if (code == HOST_CB_COMMAND && argument && g_log->onCommand) g_log->onCommand(static_cast<const char*>(argument));
    return 0;
}
inline void RigPost(void*, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    EXPECT_EQ(message, 0x444u);
    g_log->posts.push_back({wParam, wParam == HOST_MSG_OUTPUT ? reinterpret_cast<const char*>(lParam) : ""});
}
inline std::uint8_t* RigByte(std::uint32_t address) { return g_log->image.Byte(address); }
inline std::uint16_t* RigAttribute(std::uint32_t address) { return g_log->image.Attribute(address); }

struct DriverRig : TargetRig {
    HostLinks links;
    MonitorDriver driver{port, clock, notifier, trace, links};
    std::unique_ptr<HostLog> log = std::make_unique<HostLog>();
    HostRegisterBlock block{};
    HostInterface record{};
    char options[HOST_OPTION_TEXT_SIZE] = "-S3 -B9600 -O1";
    int window = 0;
    HostBreakpoint* breakpoints = nullptr;
    std::vector<std::unique_ptr<HostBreakpoint>> owned;
    std::uint32_t pc = 0;
    std::uint32_t userMessage = 0x444;
    HostCallback callback = &RigCallback;

    DriverRig() {
        g_log = log.get();
        record.tag = HOST_TAG;
        record.clockHz = 14745600;
        record.optionText = options;
        record.optionTextSize = sizeof options;
        record.postMessage = &RigPost;
        record.imageByte = &RigByte;
        record.attributeWord = &RigAttribute;
        record.registers = &block;
    }
    ~DriverRig() { g_log = nullptr; }
    void HandOver() {
        EXPECT_EQ(driver.EnumUv351(&record, 2), 8051);
        driver.Init(AG_INIT_MAIN_WINDOW, &window);
        driver.Init(AG_INIT_BREAKPOINTS, &breakpoints);
        driver.Init(AG_INIT_PC_VARIABLE, &pc);
        driver.Init(AG_INIT_USER_MESSAGE, &userMessage);
        driver.Init(AG_INIT_CALLBACK, &callback);
    }
    // Hands over and starts debugging; then forgets what the start did.
    void Start() {
        HandOver();
        ASSERT_EQ(driver.Init(AG_INIT_START, nullptr), 0u);
        Clear();
    }
    void Clear() {
        monitor.requests.clear();
        log->callbacks.clear();
        log->posts.clear();
        log->progress.clear();
        log->progressTexts.clear();
    }

    std::uint16_t& Attr(std::uint32_t address) { return *log->image.Attribute(address); }
    std::uint8_t& Image(std::uint32_t address) { return *log->image.Byte(address); }

    HostBreakpoint& AddBreakpoint(std::uint32_t address, std::uint32_t flags = HOST_BP_ACTIVE, std::uint32_t pass = 0,
                                  const char* command = nullptr) {
        owned.push_back(std::make_unique<HostBreakpoint>(
            HostBreakpoint{breakpoints, HOST_ADDRESS(HOST_SPACE_CODE, address), flags, pass, command}));
        breakpoints = owned.back().get();
        return *breakpoints;
    }

    // AG_MemAcc in one call; the result, the bytes and the error address.
    struct Access {
        std::uint32_t result;
        std::vector<std::uint8_t> bytes;
        std::uint32_t errorAddress;
    };
    Access Read(std::uint32_t address, std::size_t count, std::uint32_t code = AG_MEM_READ) {
        Access a{0, std::vector<std::uint8_t>(count, 0xEE), 0};
        HostAddress where{address, 0};
        a.result = driver.MemAcc(code, a.bytes.data(), &where, static_cast<std::uint32_t>(count));
        a.errorAddress = where.errorAddress;
        return a;
    }
    Access Write(std::uint32_t address, std::vector<std::uint8_t> bytes) {
        Access a{0, bytes, 0};
        HostAddress where{address, 0};
        a.result = driver.MemAcc(AG_MEM_WRITE, a.bytes.data(), &where, static_cast<std::uint32_t>(bytes.size()));
        a.errorAddress = where.errorAddress;
        return a;
    }

    // The driver's lines for the host's output window.
    std::vector<std::string> Output() const {
        std::vector<std::string> lines;
        for (const auto& [w, text] : log->posts)
            if (w == HOST_MSG_OUTPUT) lines.push_back(text);
        return lines;
    }
    bool Posted(std::uintptr_t wParam) const {
        for (const auto& p : log->posts)
            if (p.first == wParam) return true;
        return false;
    }
    int Requests(std::uint8_t code) const {
        int n = 0;
        for (const auto& f : monitor.requests) n += f.code == code;
        return n;
    }
    std::vector<Frame> RequestsOf(std::uint8_t code) const {
        std::vector<Frame> frames;
        for (const auto& f : monitor.requests)
            if (f.code == code) frames.push_back(f);
        return frames;
    }
};

}  // namespace kx6500mon::testing
