#pragma once
// Programming flash pages through the monitor's XDATA page buffer (0x0000 to 0x007F),
// each checked afterwards by its CRC: a page the flash did not take is written again,
// ten writes in all.

#include <array>
#include <cstdint>
#include <span>

#include "monitor/core/MonitorCommands.h"

namespace kx6500mon {

enum class PageWrite { Ok, NotTaken, LinkFailed };

using PageBytes = std::array<std::uint8_t, kPageSize>;

class FlashPages {
public:
    static constexpr int kWriteAttempts = 10;

    explicit FlashPages(MonitorCommands& commands) : commands_(commands) {}

    // The page buffer is ordinary XDATA to the program under debug: what it holds is
    // kept aside while a page is programmed and put back afterwards.
    bool SaveBuffer();
    bool RestoreBuffer();
    // Programs the page and checks it. bufferHolds: the buffer already holds content
    // (the first write then only programs).
    PageWrite Program(int page, const PageBytes& content, bool bufferHolds);
    // The flash page's bytes into the buffer, then parts of it overwritten, then all of
    // it read back: the bytes the page is to hold.
    bool LoadIntoBuffer(int page) { return commands_.LoadPage(static_cast<std::uint16_t>(page * kPageSize)); }
    bool WriteBuffer(int offset, std::span<const std::uint8_t> bytes) {
        return commands_.Write(space::kXdata, static_cast<std::uint16_t>(offset), bytes);
    }
    bool ReadBuffer(PageBytes& out) { return commands_.ReadXdata(0, out.size(), out.data()); }

private:
    MonitorCommands& commands_;
    PageBytes saved_{};
};

}  // namespace kx6500mon
