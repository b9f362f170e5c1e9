#pragma once
// A target for the display core: the SFR/data space (0xF0) and XDATA (0x01) in memory,
// a log of every access in the host's access-log form ("R F0000080 128",
// "W F00000E1 1 3A"), and reads or writes that can be made to fail.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "display/core/SfrTarget.h"

namespace kx6500disp::testing {

class FakeTarget : public SfrTarget {
public:
    bool Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) override {
        const bool ok = !failReads && Serve(address, count);
        Log('R', address, count, nullptr, ok);
        if (ok)
            for (std::uint32_t i = 0; i < count; ++i) buffer[i] = *Byte(address, i);
        return ok;
    }
    bool Write(std::uint32_t address, std::uint32_t count, const std::uint8_t* buffer) override {
        const bool ok = !failWrites && Serve(address, count);
        Log('W', address, count, buffer, ok);
        if (ok)
            for (std::uint32_t i = 0; i < count; ++i) *Byte(address, i) = buffer[i];
        return ok;
    }
    std::uint32_t ClockHz() const override { return clockHz; }

    std::vector<std::string> Writes() const {
        std::vector<std::string> w;
        for (const auto& line : log)
            if (line[0] == 'W') w.push_back(line);
        return w;
    }
    void ClearLog() { log.clear(); }

    std::array<std::uint8_t, 256> data{};  // space 0xF0: SFRs at 0x80..0xFF
    std::vector<std::uint8_t> xdata = std::vector<std::uint8_t>(0x10000);
    std::uint32_t clockHz = 14745600;
    bool failReads = false, failWrites = false;
    std::vector<std::string> log;

private:
    static std::uint32_t Space(std::uint32_t a) { return a >> 24; }
    bool Serve(std::uint32_t address, std::uint32_t count) const {
        const std::uint32_t offset = address & 0xFFFF;
        if (Space(address) == 0xF0) return offset + count <= 0x100;
        if (Space(address) == 0x01) return offset + count <= 0x10000;
        return false;
    }
    std::uint8_t* Byte(std::uint32_t address, std::uint32_t i) {
        const std::uint32_t offset = (address & 0xFFFF) + i;
        return Space(address) == 0xF0 ? &data[offset] : &xdata[offset];
    }
    void Log(char kind, std::uint32_t address, std::uint32_t count, const std::uint8_t* bytes, bool ok) {
        char head[32];
        std::snprintf(head, sizeof head, "%c %08X %u", kind, address, count);
        std::string line = head;
        for (std::uint32_t i = 0; bytes && i < count; ++i) {
            char b[4];
            std::snprintf(b, sizeof b, " %02X", bytes[i]);
            line += b;
        }
        if (!ok) line += " FAIL";
        log.push_back(line);
    }
};

}  // namespace kx6500disp::testing
