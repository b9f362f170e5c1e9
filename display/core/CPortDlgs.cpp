#include "display/core/CPortDlgs.h"

#include <string>

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

namespace {

const PortInfo kPorts[] = {
    {0, 3, P0, P0DIR, "P0 [3.0]"},
    {1, 7, P1, P1DIR, "P1 [7.0]"},
    {2, 7, P2, P2DIR, "P2 [7.0]"},
    {3, 5, P3, P3DIR, "P3 [5.0]"},
};

// The grid column of a pin: the row's caption in column 0, then the most
// significant bit first.
int ColumnOf(const PortInfo& port, int bit) { return 1 + port.topBit - bit; }

// A pin taken by another unit: shown while the bits `set` of `reg` are set and the
// bits `clear` clear.
struct AlternateFunction {
    const char* marker;
    const char* line;
    int port, bit;
    std::uint8_t reg, set, clear;
};
const AlternateFunction kAlternates[] = {
    {"A", "A  SPI SCK Output (SPCR.SPE = 1)", 0, 0, SPCR, 0x20, 0x00},
    {"B", "B  SPI MO Output (SPCR.SPE = 1)", 0, 1, SPCR, 0x20, 0x00},
    {"C", "C  SPI MI Input (SPCR.SPE = 1 & SPCR.SPM = 0)", 0, 2, SPCR, 0x20, 0x40},
    {"D", "D  PWM2 Output (TCON2.M2 = 1)", 3, 3, TCON2, 0x01, 0x00},
    {"E", "E  PWM3 Output (TCON2.M3 = 1)", 3, 4, TCON2, 0x04, 0x00},
};
bool InUse(const AlternateFunction& f, const SfrImage& image) {
    return (image[f.reg] & f.set) == f.set && (image[f.reg] & f.clear) == 0;
}

}  // namespace

const PortInfo& Port(int number) { return kPorts[number]; }

std::vector<ControlSpec> PortTable(int number, std::string_view prefix) {
    const PortInfo& port = Port(number);
    std::vector<ControlSpec> table;
    auto row = [&](const char* caption, const char* name, std::uint8_t reg) {
        table.push_back(Label("", caption).InColumn(0));
        for (int bit = port.topBit; bit >= 0; --bit)
            table.push_back(Check(std::to_string(bit), reg, static_cast<std::uint8_t>(1u << bit))
                                .Id(std::string(prefix) + name + " " + std::to_string(bit))
                                .InColumn(ColumnOf(port, bit))
                                .Beside());
    };
    row("In (x) / Out ( ):", "Dir", port.direction);
    row("Value:", "Value", port.value);
    return table;
}

CPortDlg::CPortDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck, int number)
    : PeripheralView(sfr, notifier, precheck, PortTable(number)) {}

const std::vector<ControlSpec>& CPortsDlg::Table() {
    static const std::vector<ControlSpec> table = [] {
        std::vector<ControlSpec> t;
        for (const PortInfo& port : kPorts) {
            // The letters sit in a row over the pins they flag.
            bool first = true;
            for (int bit = port.topBit; bit >= 0; --bit)
                for (const AlternateFunction& f : kAlternates)
                    if (f.port == port.number && f.bit == bit) {
                        const ControlSpec marker = Label(f.marker, f.marker).InColumn(ColumnOf(port, bit));
                        t.push_back((first ? marker : marker.Beside()).InGroup(port.group));
                        first = false;
                    }
            const std::string prefix = "P" + std::to_string(port.number) + " ";
            for (const ControlSpec& c : PortTable(port.number, prefix)) t.push_back(c.InGroup(port.group));
        }
        t.push_back(Lines("Alternate functions"));
        t.push_back(RefreshButton());
        return t;
    }();
    return table;
}

CPortsDlg::CPortsDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {
    for (const AlternateFunction& f : kAlternates) At(f.marker).screen.visible = false;  // until a refresh
}

void CPortsDlg::Decode(const SfrImage& image) {
    std::vector<std::string>& lines = At("Alternate functions").items;
    lines.clear();
    for (const AlternateFunction& f : kAlternates) {
        const bool used = InUse(f, image);
        At(f.marker).screen.visible = used;
        if (used) lines.emplace_back(f.line);
    }
}

}  // namespace kx6500disp
