// The parallel-port library keeps a machine-wide "in use" name under XDG_RUNTIME_DIR, as the
// real driver allows one user at a time. CTest runs test processes side by side, so each test
// process (and every program it starts) gets a runtime folder of its own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const char* base = std::getenv("XDG_RUNTIME_DIR");
    fs::path folder = fs::path(base && *base ? base : fs::temp_directory_path().string()) /
                      ("pid-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fs::remove_all(folder, ec);
    return result;
}
