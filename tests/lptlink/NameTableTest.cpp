#include "lptlink/linux/FileNameTable.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lptlink;
namespace fs = std::filesystem;

TEST(FileNameTable, ReferenceCountsAreSharedThroughTheFolder) {
    const fs::path dir = fs::temp_directory_path() / "tessary_names_test";
    fs::remove_all(dir);
    FileNameTable a(dir.string()), b(dir.string());
    const std::string name = "Norvane parallel port utility DLL";
    EXPECT_EQ(a.Find(name), 0);
    const std::uint16_t atom = a.Add(name);
    EXPECT_GE(atom, 0xC000);
    EXPECT_EQ(b.Find(name), atom);  // another process sees it
    b.Add(name);
    a.Delete(atom);
    EXPECT_EQ(a.Find(name), atom);  // one reference left
    b.Delete(atom);
    EXPECT_EQ(a.Find(name), 0);
    b.Delete(atom);  // deleting what is gone does nothing
    EXPECT_EQ(b.Find(name), 0);
    EXPECT_EQ(a.Find("another name"), 0);
    fs::remove_all(dir);
}
