// KX6500Disp.so loaded where there is no QApplication: attach, update-all and detach
// still work, and choosing a view opens nothing.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/kx6500_host.h"

namespace {
std::vector<std::string> reads;
int Read(std::uint32_t address, std::uint32_t count, std::uint8_t*) {
    reads.push_back(std::to_string(address) + "/" + std::to_string(count));
    return 0;
}
int Write(std::uint32_t, std::uint32_t, std::uint8_t*) { return 1; }
}  // namespace

TEST(PluginWithoutQt, AttachUpdateAndDetach) {
    const char* bin = std::getenv("TESSARY_BIN");
    const auto path = std::filesystem::path(bin ? bin : "build/bin").parent_path() / "lib" / "KX6500Disp.so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto enumUv351 = reinterpret_cast<EnumUv351Fn>(dlsym(library, "EnumUv351"));
    ASSERT_NE(enumUv351, nullptr);
    EXPECT_EQ(dlsym(library, "AG_Init"), nullptr);  // the one export

    HostInterface record{};
    record.tag = 2863;
    EXPECT_EQ(enumUv351(&record, 0), -2);
    EXPECT_EQ(record.menu, nullptr);
    record.tag = HOST_TAG;
    record.readMemory = &Read;
    record.writeMemory = &Write;
    ASSERT_EQ(enumUv351(&record, 0), 1);
    record.update();
    EXPECT_EQ(reads, std::vector<std::string>(15, std::to_string(0xF0000080u) + "/128"));
    MenuEntry* radio = nullptr;
    for (MenuEntry* e = record.menu; e->kind != MENU_END; ++e)
        if (e->dialogId == 1014) radio = e;
    ASSERT_NE(radio, nullptr);
    radio->open(radio);
    EXPECT_EQ(radio->view->window, 0u);
    EXPECT_EQ(enumUv351(&record, 1), 0);
    EXPECT_EQ(enumUv351(&record, 7), 0);
    dlclose(library);
}
