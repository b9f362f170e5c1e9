#pragma once
// What the host hands the driver: its record and, through AG_Init, its window, user
// message, callback, breakpoint list and program-counter variable. Calls on them are
// safe before the host has given them: they do nothing.

#include <cstdint>
#include <string>

#include "host/kx6500_host.h"

namespace kx6500mon {

struct HostLinks {
    HostInterface* record = nullptr;
    void* mainWindow = nullptr;
    void* handleA = nullptr;
    void* handleB = nullptr;
    HostBreakpoint** breakpoints = nullptr;
    std::uint32_t* pcVariable = nullptr;
    std::uint32_t userMessage = 0;
    HostCallback callback = nullptr;

    std::intptr_t Callback(std::uint32_t code, void* argument) const {
        return callback ? callback(code, argument) : 0;
    }
    std::intptr_t CallbackText(std::uint32_t code, const char* text) const {
        return Callback(code, const_cast<char*>(text));
    }
    void Post(std::uintptr_t wParam, std::intptr_t lParam) const {
        if (record && record->postMessage) record->postMessage(mainWindow, userMessage, wParam, lParam);
    }
    // A line for the host's output window.
    void Output(const std::string& text) const { Post(HOST_MSG_OUTPUT, reinterpret_cast<std::intptr_t>(text.c_str())); }
    std::uint16_t* AttributeWord(std::uint32_t address) const {
        return record && record->attributeWord ? record->attributeWord(address) : nullptr;
    }
};

}  // namespace kx6500mon
