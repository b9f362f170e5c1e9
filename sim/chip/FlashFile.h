#pragma once
// The file seam of the chip's flash: the raw 32 KiB image in FILE and the lock bits,
// as the wire carries them, in the one byte of FILE.lock. A file that does not exist
// is created erased; one that is shorter than the flash leaves the chip erased.

#include <string>

#include "sim/chip/KX6500Chip.h"

namespace sim {

class FlashFile {
public:
    explicit FlashFile(std::string path) : path_(std::move(path)) {}
    // Gives the chip the stored contents; false (with Error()) when the file exists
    // but cannot be read, or cannot be created.
    bool Load(KX6500Chip& chip);
    bool Save(const KX6500Chip& chip);
    // Saves on every change of the chip's flash or lock bits from now on.
    void Follow(KX6500Chip& chip);
    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

private:
    std::string path_;
    std::string error_;
};

}  // namespace sim
