#include "sim/chip/FlashFile.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "common/FileIo.h"

namespace sim {

bool FlashFile::Load(KX6500Chip& chip) {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) return Save(chip);
    std::vector<std::uint8_t> bytes;
    if (!tessary::ReadWholeFile(path_, bytes, error_)) return false;
    if (bytes.size() < KX6500Chip::FlashImage{}.size()) return true;
    KX6500Chip::FlashImage image;
    std::copy_n(bytes.begin(), image.size(), image.begin());
    std::uint8_t lockWire = 0x1F;
    std::vector<std::uint8_t> lock;
    std::string ignored;
    if (std::filesystem::exists(path_ + ".lock", ec) && tessary::ReadWholeFile(path_ + ".lock", lock, ignored) &&
        !lock.empty())
        lockWire = lock[0];
    chip.RestoreFlash(image, lockWire);
    return true;
}

bool FlashFile::Save(const KX6500Chip& chip) {
    const auto& flash = chip.Flash();
    return tessary::WriteWholeFile(path_, std::string(flash.begin(), flash.end()), error_) &&
           tessary::WriteWholeFile(path_ + ".lock", std::string(1, static_cast<char>(chip.LockWire())), error_);
}

void FlashFile::Follow(KX6500Chip& chip) {
    chip.OnFlashChanged([this, &chip] { Save(chip); });
}

}  // namespace sim
