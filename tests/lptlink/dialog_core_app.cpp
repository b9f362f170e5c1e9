// A program whose application has no widgets: the dialog refuses with -1 and one line on
// standard error instead of letting Qt end the process.

#include <QCoreApplication>
#include <cstdio>

#include "lptlink/lptlink.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (lptlinkInit() != 1) return 1;
    const int result = lptlinkProgramDialog(0, 0, nullptr, 0, 0.0f, 1, 1, 1, 1, 1, 1, 1);
    lptlinkRelease();
    if (result != -1) {
        std::fprintf(stderr, "dialog_core_app: lptlinkProgramDialog returned %d, not -1\n", result);
        return 1;
    }
    std::printf("dialog_core_app: refused without widgets, and the program goes on\n");
    return 0;
}
