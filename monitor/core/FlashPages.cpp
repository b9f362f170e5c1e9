#include "monitor/core/FlashPages.h"

#include "common/Crc16.h"

namespace kx6500mon {

bool FlashPages::SaveBuffer() { return commands_.ReadXdata(0, saved_.size(), saved_.data()); }

bool FlashPages::RestoreBuffer() { return commands_.Write(space::kXdata, 0, saved_); }

PageWrite FlashPages::Program(int page, const PageBytes& content, bool bufferHolds) {
    const std::uint16_t wanted = tessary::Crc16(content);
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if ((attempt > 0 || !bufferHolds) && !WriteBuffer(0, content)) return PageWrite::LinkFailed;
        if (!commands_.ProgramPage(static_cast<std::uint8_t>(page))) return PageWrite::LinkFailed;
        const auto crc = commands_.PageCrc(static_cast<std::uint8_t>(page));
        if (!crc) return PageWrite::LinkFailed;
        if (*crc == wanted) return PageWrite::Ok;
    }
    return PageWrite::NotTaken;
}

}  // namespace kx6500mon
