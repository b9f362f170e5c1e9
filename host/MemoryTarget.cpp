#include "host/MemoryTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "host/kx6500_host.h"

namespace kxdebug {

MemoryTarget::MemoryTarget() {
    data_.bytes.assign(0x100, 0);
    xdata_.bytes.assign(0x10000, 0);
}

MemoryTarget::~MemoryTarget() {
    for (Space* s : {&data_, &xdata_})
        if (s->fd >= 0) close(s->fd);
}

bool MemoryTarget::Space::Load(const std::string& file, const char* option, std::string& error) {
    path = file;
    if (file.empty()) return true;
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;  // reads 0 until the first write creates it
        error = std::string(option) + " " + file + ": " + std::strerror(errno);
        return false;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > bytes.size()) {
        // Most likely another file: it is not ours to overwrite.
        error = std::string(option) + " " + file + ": " + std::to_string(st.st_size) + " bytes, more than the " +
                std::to_string(bytes.size()) + " of its space";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = std::string(option) + " " + file + ": cannot be read";
        return false;
    }
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return true;
}

bool MemoryTarget::Space::Store(std::uint32_t offset, std::uint32_t count, const std::uint8_t* data) {
    if (!path.empty()) {
        if (fd < 0) fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        std::uint32_t done = 0;
        while (done < count) {
            const ssize_t n = pwrite(fd, data + done, count - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;  // the bytes in memory stay as they were
            done += static_cast<std::uint32_t>(n);
        }
    }
    std::copy(data, data + count, bytes.begin() + offset);
    return true;
}

bool MemoryTarget::Open(const std::string& sfrFile, const std::string& xdataFile, std::string& error) {
    return data_.Load(sfrFile, "--sfr-file", error) && xdata_.Load(xdataFile, "--xdata-file", error);
}

const MemoryTarget::Space* MemoryTarget::Find(std::uint32_t address, std::uint32_t count) const {
    const std::uint32_t plain = address & ~HOST_READ_THROUGH;
    const std::uint32_t space = HOST_SPACE(plain), offset = plain & 0x00FFFFFFu;
    const Space* s = space == HOST_SPACE_DATA ? &data_
                     : space == HOST_SPACE_XDATA || space == HOST_SPACE_XDATA_ALT ? &xdata_
                                                                                   : nullptr;
    if (!s || offset >= s->bytes.size() || count > s->bytes.size() - offset) return nullptr;
    return s;
}

int MemoryTarget::Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) const {
    const Space* s = Find(address, count);
    if (!s) return 1;
    const auto offset = address & 0xFFFFu;
    std::copy(s->bytes.begin() + offset, s->bytes.begin() + offset + count, buffer);
    return 0;
}

int MemoryTarget::Write(std::uint32_t address, std::uint32_t count, const std::uint8_t* buffer) {
    Space* s = const_cast<Space*>(Find(address, count));
    return s && s->Store(address & 0xFFFFu, count, buffer) ? 0 : 1;
}

}  // namespace kxdebug
