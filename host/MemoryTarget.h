#pragma once
// A target in memory in place of the monitor: the data space 0xF0 (internal RAM and
// SFRs, 0x00..0xFF) and XDATA 0x01/0xFE (0x0000..0xFFFF), each optionally kept in a raw
// file (byte n at offset n). A missing or short file reads 0; every write goes to the
// file before it returns. The read-through flag is ignored; any other space or range
// fails with nothing written.

#include <cstdint>
#include <string>
#include <vector>

namespace kxdebug {

class MemoryTarget {
public:
    MemoryTarget();
    ~MemoryTarget();
    MemoryTarget(const MemoryTarget&) = delete;
    MemoryTarget& operator=(const MemoryTarget&) = delete;

    // Takes the files' contents; an empty name keeps that space in memory only. False
    // (with the reason) for a file that cannot be read or is larger than its space.
    bool Open(const std::string& sfrFile, const std::string& xdataFile, std::string& error);
    // 0 on success, 1 otherwise (as the host record's memory functions answer).
    int Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) const;
    int Write(std::uint32_t address, std::uint32_t count, const std::uint8_t* buffer);

private:
    struct Space {
        std::vector<std::uint8_t> bytes;
        std::string path;
        int fd = -1;  // opened at the first write
        bool Load(const std::string& file, const char* option, std::string& error);
        bool Store(std::uint32_t offset, std::uint32_t count, const std::uint8_t* data);
    };
    const Space* Find(std::uint32_t address, std::uint32_t count) const;
    Space data_, xdata_;
};

}  // namespace kxdebug
