#include "display/core/CInterruptsDlg.h"

#include <string>

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

namespace {

struct BitOf {
    std::uint8_t reg = 0, mask = 0;  // mask 0: no box
};

// One row: the caption, the name its ids start with, the E/F/P bits and the vector
// text (none for the second rows of a serial port and the shared sub-rows).
struct Source {
    const char* caption;
    const char* row;
    BitOf enable, flag, priority;
    const char* vector;
    bool shownOnly;
};

const Source kSources[] = {
    {"Flash Write (FWI):", "FWI", {EICON, 0x20}, {EICON, 0x10}, {}, "0x33", true},
    {"External 0 (int0_n):", "int0_n", {IE, 0x01}, {TCON, 0x02}, {IP, 0x01}, "0x03", false},
    {"Timer 0 (TF0):", "TF0", {IE, 0x02}, {TCON, 0x20}, {IP, 0x02}, "0x0B", false},
    {"External 1 (int1_n):", "int1_n", {IE, 0x04}, {TCON, 0x08}, {IP, 0x04}, "0x13", false},
    {"Timer 1 (TF1):", "TF1", {IE, 0x08}, {TCON, 0x80}, {IP, 0x08}, "0x1B", false},
    {"Serial Port 0 (RI_0)", "RI_0", {IE, 0x10}, {SCON0, 0x01}, {IP, 0x10}, "0x23", false},
    {"Serial Port 0 (TI_0):", "TI_0", {}, {SCON0, 0x02}, {}, nullptr, false},
    {"Serial Port 1 (RI_1):", "RI_1", {IE, 0x40}, {SCON1, 0x01}, {IP, 0x40}, "0x3B", true},
    {"Serial Port 1 (TI_1):", "TI_1", {}, {SCON1, 0x02}, {}, nullptr, true},
    {"RF Transmit/Receive (RFI):", "RFI", {EIE, 0x01}, {EXIF, 0x10}, {EIP, 0x01}, "0x43", false},
    {"Timer 2 (TF2):", "TF2", {EIE, 0x02}, {EXIF, 0x20}, {EIP, 0x02}, "0x4B", false},
    {"Timer 3 (TF3):", "TF3", {EIE, 0x08}, {EXIF, 0x80}, {EIP, 0x08}, "0x53", false},
    {"ADC/DES - Shared (ADF):", "ADF", {EIE, 0x04}, {EXIF, 0x40}, {EIP, 0x04}, "0x5B", false},
    {"ADC:", "ADC", {ADCON2, 0x80}, {ADCON2, 0x40}, {}, nullptr, false},
    {"DES:", "DES", {CRPCON, 0x40}, {CRPCON, 0x20}, {}, nullptr, false},
    {"Realtime Clock (RTCI):", "RTCI", {EIE, 0x10}, {EICON, 0x04}, {EIP, 0x10}, "0x63", false},
};

// Columns of the grid: the row's caption, E, F, P, Vec.
constexpr int kE = 1, kF = 2, kP = 3, kVec = 4;

}  // namespace

const std::vector<ControlSpec>& CInterruptsDlg::Table() {
    static const std::vector<ControlSpec> table = [] {
        std::vector<ControlSpec> t{Label("", "E").InColumn(kE), Label("", "F").InColumn(kF).Beside(),
                                   Label("", "P").InColumn(kP).Beside(), Label("", "Vec").InColumn(kVec).Beside()};
        for (const Source& s : kSources) {
            t.push_back(Label("", s.caption).InColumn(0));
            auto box = [&](const BitOf& bit, const char* column, int at) {
                if (!bit.mask) return;
                const ControlSpec c = Check("", bit.reg, bit.mask).Id(std::string(s.row) + " " + column).InColumn(at);
                t.push_back(s.shownOnly ? c.ShownOnly().Beside() : c.Beside());
            };
            box(s.enable, "E", kE);
            box(s.flag, "F", kF);
            box(s.priority, "P", kP);
            if (s.vector) t.push_back(Label(std::string(s.row) + " Vec", s.vector).InColumn(kVec).Beside());
        }
        return t;
    }();
    return table;
}

CInterruptsDlg::CInterruptsDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

}  // namespace kx6500disp
