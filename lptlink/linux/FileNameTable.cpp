#include "lptlink/linux/FileNameTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace lptlink {

namespace {

// Holds the table's lock file for the lifetime of one operation.
class TableLock {
public:
    explicit TableLock(const std::string& folder) {
        fd_ = ::open((folder + "/.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~TableLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

private:
    int fd_ = -1;
};

struct Entry {
    std::string name;
    long count = 0;
};

bool ReadEntry(const std::string& path, Entry& entry) {
    std::ifstream in(path);
    if (!in) return false;
    in >> entry.count;
    in.ignore(1);
    std::getline(in, entry.name);
    return static_cast<bool>(in) || !entry.name.empty();
}

void WriteEntry(const std::string& path, const Entry& entry) {
    if (entry.count <= 0) {
        std::remove(path.c_str());
        return;
    }
    std::ofstream out(path, std::ios::trunc);
    out << entry.count << "\n" << entry.name << "\n";
}

}  // namespace

FileNameTable::FileNameTable(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        folder_ = runtime && *runtime ? std::string(runtime) + "/tessary-names"
                                      : "/tmp/tessary-names-" + std::to_string(::getuid());
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, ec);
}

std::uint16_t FileNameTable::AtomOf(const std::string& name) {
    // String atoms live from 0xC000 up; a hash keeps the number stable across processes.
    std::uint32_t h = 2166136261u;
    for (unsigned char c : name) h = (h ^ c) * 16777619u;
    return static_cast<std::uint16_t>(0xC000 + h % 0x3FFF);
}

std::string FileNameTable::EntryPath(std::uint16_t atom) const {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", atom);
    return folder_ + "/" + buffer;
}

std::uint16_t FileNameTable::Find(const std::string& name) {
    TableLock lock(folder_);
    const std::uint16_t atom = AtomOf(name);
    Entry e;
    return ReadEntry(EntryPath(atom), e) && e.name == name && e.count > 0 ? atom : 0;
}

std::uint16_t FileNameTable::Add(const std::string& name) {
    TableLock lock(folder_);
    const std::uint16_t atom = AtomOf(name);
    Entry e;
    if (!ReadEntry(EntryPath(atom), e) || e.name != name) e = {name, 0};
    ++e.count;
    WriteEntry(EntryPath(atom), e);
    return atom;
}

void FileNameTable::Delete(std::uint16_t atom) {
    TableLock lock(folder_);
    Entry e;
    if (!ReadEntry(EntryPath(atom), e)) return;
    --e.count;
    WriteEntry(EntryPath(atom), e);
}

}  // namespace lptlink
