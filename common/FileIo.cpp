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

// The file a path finally names, following symbolic links (also dangling ones: the
// write creates the file the link points to). Empty when the links go round.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    namespace fs = std::filesystem;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) return {};
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return {};
}

bool ReadOnly(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::perms p = fs::status(file, ec).permissions();
    if (ec) return false;
    return (p & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == fs::perms::none;
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
    if (fs::path(path).filename().empty()) {
        error = "Cannot write " + path + ": no file name";
        return false;
    }
    const fs::path target = FollowLinks(path);
    if (target.empty()) {
        error = Describe("Cannot write", path, ELOOP);
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
    const bool replacing = fs::is_regular_file(target, ec);
    if (replacing) {
        // Refused as opening it for writing would refuse it; the bits are asked too,
        // since the superuser's open would not.
        std::FILE* probe = std::fopen(target.c_str(), "r+b");
        const int err = errno;
        if (probe) std::fclose(probe);
        if (!probe || ReadOnly(target)) {
            error = probe ? "Cannot write " + path + ": the file is read-only" : Describe("Cannot write", path, err);
            return false;
        }
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
        if (out && replacing) fs::permissions(temp, fs::status(target, ec).permissions(), ec);
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
