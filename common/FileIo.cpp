#include "common/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tessary {

namespace {
std::string Describe(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}
}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "Cannot read " + path + ": it is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = Describe("Cannot open", path, errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = Describe("Cannot read", path, errno);
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (target.filename().empty()) {
        error = "Cannot write " + path + ": no file name";
        return false;
    }
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        error = "Cannot write " + path + ": it is a folder";
        return false;
    }
    // Character devices and pipes (standard output, /dev/null) cannot be replaced by a
    // rename; they are written in place.
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) {
        std::ofstream out(path, std::ios::binary);
        if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
            error = Describe("Cannot write", path, errno);
            return false;
        }
        return true;
    }
    std::random_device rd;
    const fs::path temp = target.parent_path() /
        ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000u));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = Describe("Cannot create", path, errno);
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            const int err = errno;
            out.close();
            fs::remove(temp, ec);
            error = Describe("Cannot write", path, err);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        error = "Cannot write " + path + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace tessary
