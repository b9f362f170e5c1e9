// The display plug-in's update-all on the in-memory target, with all fifteen views
// open and with none: median and 95th percentile of 200 updates, and their ratio.
// Between updates the SFR block alternates between two random images, so every open
// control shows a new value each time; the time includes the window events that
// follow (the repaint), as the host processes them after every command. Goal: median under 10 ms with all views open.
// Then the DES view's "Refresh" with the "Plain text / Cipher text" display of 256 bytes
// (read-through refresh, the XDATA read, the text, the repaint), median of the same
// number of presses. Goal: under 2 ms, so a Refresh never lags.
//
//   bench_display [--plugin FILE.so] [--runs N]
#include <CLI/CLI.hpp>
#include <dlfcn.h>

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "host/MemoryTarget.h"
#include "host/kx6500_host.h"

namespace {

kxdebug::MemoryTarget* target = nullptr;
int Read(std::uint32_t a, std::uint32_t n, std::uint8_t* b) { return target->Read(a, n, b); }
int Write(std::uint32_t a, std::uint32_t n, std::uint8_t* b) { return target->Write(a, n, b); }

struct Figures {
    double median, p95;
};

Figures Measure(HostInterface& record, int runs, const std::vector<std::uint8_t> (&images)[2]) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto& image = images[i % 2];
        target->Write(0xF0000080, 128, image.data());
        const auto start = std::chrono::steady_clock::now();
        record.update();
        QCoreApplication::processEvents();  // the host's window events after a command: the views repaint
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

// The DES view's Refresh with its data display over 256 bytes at 0x0000: median and
// p95 of `runs` presses, or nothing when the view or its controls are missing.
std::optional<Figures> MeasureDesRefresh(HostInterface& record, int runs) {
    MenuEntry* des = nullptr;
    for (MenuEntry* e = record.menu; e->kind != MENU_END; ++e)
        if (e->kind == MENU_ITEM && e->dialogId == 1011) des = e;
    if (!des) return std::nullopt;
    const std::uint8_t wholeWindow[2] = {0x00, 0x00};  // CRPDAT 0, CRPCNT 0 (256 bytes)
    target->Write(0xF00000C5, 2, wholeWindow);
    if (!des->view->window) des->open(des);
    record.update();
    auto* window = reinterpret_cast<QWidget*>(des->view->window);
    auto* view = window ? window->findChild<QComboBox*>("View") : nullptr;
    auto* refresh = window ? window->findChild<QPushButton*>("Refresh") : nullptr;
    auto* memory = window ? window->findChild<QPlainTextEdit*>("Memory") : nullptr;
    if (!view || !refresh || !memory) return std::nullopt;
    view->setCurrentIndex(2);
    emit view->activated(2);
    QCoreApplication::processEvents();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        refresh->click();
        QCoreApplication::processEvents();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (memory->toPlainText().count(QLatin1Char('\n')) != 32) return std::nullopt;  // not the 32 lines of 256 bytes
    std::sort(ms.begin(), ms.end());
    return Figures{ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

}  // namespace

int main(int argc, char** argv) {
    std::string plugin =
        (std::filesystem::absolute(argv[0]).parent_path().parent_path() / "lib" / "KX6500Disp.so").string();
    int runs = 200;
    CLI::App app{"bench_display: update-all of KX6500Disp.so on the in-memory target, all views open and none"};
    app.add_option("--plugin", plugin, "the display plug-in")->capture_default_str();
    app.add_option("--runs", runs, "updates per figure")->capture_default_str()->check(CLI::Range(1, 100000));
    CLI11_PARSE(app, argc, argv);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    kxdebug::MemoryTarget memory;
    std::string error;
    memory.Open("", "", error);
    target = &memory;
    std::mt19937 random(7);
    std::vector<std::uint8_t> images[2] = {std::vector<std::uint8_t>(128), std::vector<std::uint8_t>(128)};
    for (auto& image : images)
        for (auto& b : image) b = static_cast<std::uint8_t>(random());

    void* library = dlopen(plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto enumUv351 = library ? reinterpret_cast<EnumUv351Fn>(dlsym(library, "EnumUv351")) : nullptr;
    if (!enumUv351) {
        std::fprintf(stderr, "bench_display: %s: %s\n", plugin.c_str(), library ? "no EnumUv351" : dlerror());
        return 1;
    }
    HostInterface record{};
    record.tag = HOST_TAG;
    record.clockHz = 14745600;
    record.readMemory = &Read;
    record.writeMemory = &Write;
    if (enumUv351(&record, 0) != 1) {
        std::fprintf(stderr, "bench_display: the plug-in refused the record\n");
        return 1;
    }

    const Figures none = Measure(record, runs, images);
    int open = 0;
    for (MenuEntry* e = record.menu; e->kind != MENU_END; ++e)
        if (e->kind == MENU_ITEM) {
            e->open(e);
            open += e->view->window != 0;
        }
    QCoreApplication::processEvents();
    const Figures all = Measure(record, runs, images);
    std::vector<std::uint8_t> xdata(0x10000);
    for (auto& b : xdata) b = static_cast<std::uint8_t>(random());
    memory.Write(0x01000000, static_cast<std::uint32_t>(xdata.size()), xdata.data());
    const std::optional<Figures> des = MeasureDesRefresh(record, runs);
    enumUv351(&record, 1);
    dlclose(library);

    std::printf("update-all, no view open:   median %.3f ms, p95 %.3f ms (%d updates)\n", none.median, none.p95, runs);
    std::printf("update-all, %2d views open:  median %.3f ms, p95 %.3f ms (%d updates)\n", open, all.median, all.p95,
                runs);
    std::printf("ratio all open / none:      %.1f (median), %.1f (p95)\n", all.median / none.median,
                all.p95 / none.p95);
    const bool met = all.median < 10.0 && open == 15;
    std::printf("goal: median under 10 ms with all 15 open: %s\n", met ? "met" : "NOT met");
    if (des)
        std::printf("DES Refresh, 256-byte data display: median %.3f ms, p95 %.3f ms (%d presses)\n", des->median,
                    des->p95, runs);
    else
        std::printf("DES Refresh, 256-byte data display: the view or its controls are missing\n");
    std::printf("goal: DES Refresh median under 2 ms: %s\n", des && des->median < 2.0 ? "met" : "NOT met");
    return 0;
}
