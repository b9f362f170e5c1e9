#include "studio/board/RegisterViewTables.h"

namespace tessary {

namespace {
using K = FieldKind;

ViewEntry Slot(int entry, int address, std::string_view name, bool shown = true) {
    return {entry, address, name, entry, 0, shown};
}
ViewEntry Fixed(int entry, int address, std::string_view name, int value) { return {entry, address, name, -1, value, true}; }
ViewEntry Hidden(int entry) { return {entry, -1, "", entry, 0, false}; }

std::vector<int> Span(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

// The KX6200/KX6300 read-back lines by address.
constexpr ReadLine kThreeWireLines[] = {
    {0x00, "00h:\t%02X\tMAIN\n"},    {0x01, "01h:\t%02X\tFREQ_A2\n"}, {0x02, "02h:\t%02X\tFREQ_A1\n"},
    {0x03, "03h:\t%02X\tFREQ_A0\n"}, {0x04, "04h:\t%02X\tFREQ_B2\n"}, {0x05, "05h:\t%02X\tFREQ_B1\n"},
    {0x06, "06h:\t%02X\tFREQ_B0\n"}, {0x07, "07h:\t%02X\tFSEP1\n"},   {0x08, "08h:\t%02X\tFSEP0\n"},
    {0x09, "09h:\t%02X\tCURRENT\n"}, {0x0A, "0Ah:\t%02X\tFRONT_END\n"}, {0x0B, "0Bh:\t%02X\tPA_POW\n"},
    {0x0C, "0Ch:\t%02X\tPLL\n"},     {0x0D, "0Dh:\t%02X\tLOCK\n"},    {0x0E, "0Eh:\t%02X\tCAL\n"},
    {0x0F, "0Fh:\t%02X\tMODEM2\n"},  {0x10, "10h:\t%02X\tMODEM1\n"},  {0x11, "11h:\t%02X\tMODEM0\n"},
    {0x12, "12h:\t%02X\tMATCH\n"},   {0x13, "13h:\t%02X\tFSCTRL\n"},  {0x14, ""},
    {0x1C, "1Ch:\t%02X\tPRESCALER\n"}, {0x40, "40h:\t%02X\tTEST6\n"}, {0x41, "41h:\t%02X\tTEST5\n"},
    {0x42, "42h:\t%02X\tTEST4\n"},   {0x43, "43h:\t%02X\tTEST3\n"},   {0x44, "44h:\t%02X\tTEST2\n"},
    {0x45, "45h:\t%02X\tTEST1\n"},   {0x46, "46h:\t%02X\tTEST0\n"},
};

std::vector<ReadLine> ThreeWireLines(const std::vector<int>& addresses, bool xosc) {
    std::vector<ReadLine> lines;
    for (int a : addresses)
        for (const auto& l : kThreeWireLines)
            if (l.address == a) lines.push_back(xosc && a == 0x0A ? ReadLine{a, "0Ah:\t%02X\tXOSC\n"} : l);
    return lines;
}

}  // namespace

std::vector<int> RegisterViewTable::ShownEntries() const {
    if (!shownOrder.empty()) return shownOrder;
    std::vector<int> shown;
    for (const ViewEntry& e : entries)
        if (e.shown) shown.push_back(e.entry);
    return shown;
}

const RegisterViewTable& KX6200ViewTable() {
    static const RegisterViewTable t = [] {
        RegisterViewTable v{"KX6200", Image::Primary, false, false, true, 13, 0x0E, 0, {}, {}, {}, {}, {}, {}, {}, {}};
        const std::string_view names[] = {"MAIN", "FREQ_A2", "FREQ_A1", "FREQ_A0", "FREQ_B2", "FREQ_B1", "FREQ_B0",
                                           "FSEP1", "FSEP0", "CURRENT"};
        for (int e = 0; e <= 9; ++e) v.entries.push_back(Slot(e, e, names[e]));
        const std::string_view names2[] = {"PA_POW", "PLL", "LOCK", "CAL", "MODEM2", "MODEM1", "MODEM0", "MATCH",
                                           "FSCTRL"};
        for (int e = 10; e <= 18; ++e) v.entries.push_back(Slot(e, e + 1, names2[e - 10]));
        v.entries.push_back({19, 0x14, "", 19, 0, false});  // downloaded only
        for (int e = 20; e <= 26; ++e) v.entries.push_back(Hidden(e));
        v.entries.push_back(Fixed(27, 0x40, "TEST6", 0x10));
        v.entries.push_back(Fixed(28, 0x41, "TEST5", 0x08));
        v.entries.push_back(Slot(29, 0x42, "TEST4"));
        v.entries.push_back(Fixed(30, 0x43, "TEST3", 0x04));
        v.entries.push_back(Fixed(31, 0x44, "TEST2", 0));
        v.entries.push_back(Fixed(32, 0x45, "TEST1", 0));
        v.entries.push_back(Fixed(33, 0x46, "TEST0", 0));
        v.entries.push_back(Slot(34, 0x0A, "FRONT_END"));
        v.entries.push_back(Slot(35, 0x1C, "PRESCALER"));
        v.fields = {
            {0, 0x80, "RXTX", K::Check}, {0, 0x40, "F_REG", K::Check}, {0, 0x20, "RX_PD", K::Check},
            {0, 0x10, "TX_PD", K::Check}, {0, 0x08, "FS_PD", K::Check}, {0, 0x04, "CORE_PD", K::Check},
            {0, 0x02, "BIAS_PD", K::Check}, {0, 0x01, "RESET_L", K::Check},
            {9, 0xF0, "VCO", K::List}, {9, 0x0C, "LO_DRIVE", K::List}, {9, 0x03, "PA_DRIVE", K::List},
            {34, 0xC0, "FRONT", K::List, 0, 0, true}, {34, 0x20, "BUF", K::Check}, {34, 0x18, "LNA", K::List},
            {34, 0x06, "IF_RSSI", K::List}, {34, 0x01, "BYPASS", K::Check},
            {10, 0xF0, "HIGH (0 - 15)", K::Decimal, 0, 15}, {10, 0x0F, "LOW (0 - 15)", K::Decimal, 0, 15},
            {11, 0x80, "EXT_FILTER", K::Check}, {11, 0x78, "REFDIV", K::Decimal, 0, 15},
            {11, 0x04, "HIGH_AL", K::Check}, {11, 0x03, "AL_H", K::Check, 0, 0, true},
            {11, 0x01, "AL_L", K::Check, 0, 0, true},
            {12, 0xF0, "LOCK_SELECT", K::List}, {12, 0x08, "ACCURACY", K::Check}, {12, 0x04, "LENGTH", K::Check},
            {12, 0x02, "INST.", K::Check, 0, 0, true}, {12, 0x01, "CONT.", K::Check, 0, 0, true},
            {13, 0x80, "START", K::Check}, {13, 0x40, "DUAL", K::Check}, {13, 0x20, "WAIT", K::Check},
            {13, 0x10, "CURRENT", K::Check}, {13, 0x08, "COMP", K::Check, 0, 0, true},
            {13, 0x07, "ITERATE", K::Decimal, 0, 7},
            {14, 0x80, "PEAKDETECT", K::Check}, {14, 0x7F, "PEAK LEVEL OFFSET (0 - 127)", K::Decimal, 0, 127},
            {15, 0xE0, "MLIMIT", K::List}, {15, 0x10, "AVG_IN", K::Check}, {15, 0x08, "AVG_MODE", K::Check},
            {15, 0x06, "SETTLING", K::Decimal, 0, 3}, {15, 0x01, "R", K::Check},
            {16, 0x70, "BAUDRATE", K::Decimal, 0, 7}, {16, 0x0C, "DATA_FORMAT", K::Decimal, 0, 3},
            {16, 0x03, "XOSC_FREQ", K::Decimal, 0, 3},
            {17, 0xF0, "RX_MATCH", K::Decimal, 0, 15}, {17, 0x0F, "TX_MATCH", K::Decimal, 0, 15},
            {18, 0x08, "DITHER1", K::Check, 0, 0, true}, {18, 0x04, "DITHER0", K::Check, 0, 0, true},
            {18, 0x02, "SHAPE", K::Check, 0, 0, true}, {18, 0x01, "FS_RESET_N", K::Check},
        };
        v.download = Join({Span(0, 9), {34}, Span(10, 19), {35}, Span(27, 33)});
        v.eep = Join({Span(0, 9), {34}, Span(10, 18), {35}, Span(27, 33)});
        v.readHeading = "Register values read from KX6200:\n\n";
        v.readBack = ThreeWireLines(Join({Span(0x00, 0x14), {0x1C}, Span(0x40, 0x46)}), false);
        return v;
    }();
    return t;
}

const RegisterViewTable& KX6300ViewTable() {
    static const RegisterViewTable t = [] {
        RegisterViewTable v{"KX6300", Image::Secondary, false, false, false, 14, 0x0E, 0, {}, {}, {}, {}, {}, {}, {}, {}};
        const std::string_view names[] = {"MAIN",  "FREQ_A2", "FREQ_A1", "FREQ_A0", "FREQ_B2",
                                           "FREQ_B1", "FREQ_B0", "FSEP1", "FSEP0",  "CURRENT",
                                           "XOSC",  "PA_POW",  "PLL",     "LOCK",    "CAL"};
        for (int e = 0; e <= 14; ++e) v.entries.push_back(Slot(e, e, names[e]));
        v.entries.push_back(Slot(15, 0x11, "MODEM0"));
        v.entries.push_back(Slot(16, 0x13, "FSCTRL"));
        for (int e = 17; e <= 24; ++e) v.entries.push_back(Hidden(e));
        v.entries.push_back(Slot(25, 0x1C, "PRESCALER"));
        v.entries.push_back(Fixed(26, 0x40, "TEST6", 0x10));
        v.entries.push_back(Fixed(27, 0x41, "TEST5", 0x08));
        v.entries.push_back(Slot(28, 0x42, "TEST4"));
        v.entries.push_back(Fixed(29, 0x43, "TEST3", 0x04));
        v.entries.push_back(Fixed(30, 0x44, "TEST2", 0));
        v.entries.push_back(Fixed(31, 0x45, "TEST1", 0));
        v.entries.push_back(Fixed(32, 0x46, "TEST0", 0));
        v.fields = {
            {0, 0x40, "F_REG", K::Check}, {0, 0x10, "TX_PD", K::Check}, {0, 0x08, "FS_PD", K::Check},
            {0, 0x04, "CORE_PD", K::Check}, {0, 0x02, "BIAS_PD", K::Check}, {0, 0x01, "R", K::Check},
            {9, 0xF0, "VCO", K::List}, {9, 0x03, "PA_DRIVE", K::List},
            {10, 0x01, "BYPASS", K::Check},
            {11, 0xF0, "HIGH (0-15)", K::Decimal, 0, 15}, {11, 0x0F, "LOW (0-15)", K::Decimal, 0, 15},
            {12, 0x80, "EXT_FILTER", K::Check}, {12, 0x78, "REFDIV", K::Decimal, 0, 15},
            {12, 0x04, "ALARM_D", K::Check},
            {13, 0xF0, "SELECT", K::List}, {13, 0x08, "ACCURACY", K::Check}, {13, 0x04, "LENGTH", K::Check},
            {14, 0x80, "START", K::Check}, {14, 0x40, "DUAL", K::Check}, {14, 0x20, "WAIT", K::Check},
            {14, 0x10, "CURRENT", K::Check}, {14, 0x07, "ITERATE", K::Decimal, 0, 7},
            {15, 0x70, "BAUDRATE", K::Decimal, 0, 7}, {15, 0x0C, "DATA_FORMAT", K::Decimal, 0, 3},
            {15, 0x03, "XOSC", K::Decimal, 0, 3},
        };
        v.download = Join({Span(0, 14), {15, 16, 25}, Span(26, 32)});
        v.eep = v.download;
        v.readHeading = "Register values read from KX6300:\n\n";
        v.readBack = ThreeWireLines(Join({Span(0x00, 0x0E), {0x11, 0x13, 0x1C}, Span(0x40, 0x46)}), true);
        return v;
    }();
    return t;
}

const RegisterViewTable& KX6500ViewTable() {
    static const RegisterViewTable t = [] {
        RegisterViewTable v{"KX6500", Image::Primary, true, true, false, 15, 0xE5, 0, {}, {}, {}, {}, {}, {}, {}, {}};
        v.entries = {
            Slot(0, 0xC8, "RFMAIN"),   Slot(1, 0xCA, "FREQ_A0"), Slot(2, 0xCB, "FREQ_A1"), Slot(3, 0xCC, "FREQ_A2"),
            Slot(4, 0xCD, "FREQ_B0"),  Slot(5, 0xCE, "FREQ_B1"), Slot(6, 0xCF, "FREQ_B2"), Slot(7, 0xD9, "MODEM2"),
            Slot(8, 0xDA, "MODEM1"),   Slot(9, 0xDB, "MODEM0"),  Slot(10, 0xDC, "MATCH"),  Slot(11, 0xE1, "CURRENT"),
            Slot(12, 0xE2, "PA_POW"),  Slot(13, 0xE3, "PLL"),    Slot(14, 0xE4, "LOCK"),   Slot(15, 0xE5, "CAL"),
            Fixed(16, 0xE6, "PRESCALE", 0), Hidden(17),
            Slot(18, 0xEA, "FSEP0"),   Slot(19, 0xEB, "FSEP1"),  Slot(20, 0xEC, "FSCTRL"), Slot(21, 0xEE, "FREND"),
            Hidden(22), Hidden(23), Hidden(24), Hidden(25), Hidden(26), Hidden(27), Hidden(28),
            Fixed(29, 0xF9, "TEST0", 0), Fixed(30, 0xFA, "TEST1", 0), Fixed(31, 0xFB, "TEST2", 0),
            Fixed(32, 0xFC, "TEST3", 4), Slot(33, 0xFD, "TEST4"), Fixed(34, 0xFE, "TEST5", 8),
            Slot(35, 0xFF, "TEST6"),   Slot(36, 0xB4, "*SIGBER"),
        };
        v.fields = {
            {0, 0x80, "RXTX", K::Check}, {0, 0x40, "F_REG", K::Check}, {0, 0x20, "RX_PD", K::Check},
            {0, 0x10, "TX_PD", K::Check}, {0, 0x08, "FS_PD", K::Check}, {0, 0x04, "CORE_PD", K::Check},
            {0, 0x02, "BIAS_PD", K::Check},
            {7, 0x7F, "PLO (0-127)", K::Decimal, 0, 127},
            {8, 0x40, "AVG_IN", K::Check}, {8, 0x20, "AVG_MODE", K::Check}, {8, 0x10, "AVG", K::Check},
            {8, 0x02, "PEAKDET", K::Check}, {8, 0x01, "R", K::Check}, {8, 0x0C, "SETTLING", K::Decimal, 0, 3},
            {9, 0xE0, "BAUDRATE", K::Decimal, 0, 7}, {9, 0x18, "DATA_FORMAT", K::Decimal, 0, 3},
            {9, 0x07, "XOSC_FREQ", K::Decimal, 0, 7},
            {10, 0xF0, "RX_MATCH", K::Decimal, 0, 15}, {10, 0x0F, "TX_MATCH", K::Decimal, 0, 15},
            {11, 0xF0, "VCO", K::List}, {11, 0x0C, "LO", K::List}, {11, 0x03, "PA", K::List},
            {13, 0xF8, "REFDIV (2-23)", K::Decimal, 0, 31}, {13, 0x04, "ALARM_DISABLE", K::Check},
            {15, 0x80, "START", K::Check}, {15, 0x40, "DUAL", K::Check}, {15, 0x20, "WAIT", K::Check},
            {15, 0x10, "CURRENT", K::Check}, {15, 0x07, "ITERATE (0-7)", K::Decimal, 0, 7},
            {20, 0x10, "EXT_FILTER", K::Check}, {20, 0x01, "FS_RESET_N", K::Check},
            {21, 0x20, "BUF", K::Check}, {21, 0x04, "IF_EXT", K::Check}, {21, 0x02, "RSSI", K::Check},
            {21, 0x18, "LNA_CURRENT (0-3)", K::Decimal, 0, 3},
        };
        // The multi-byte registers read most significant byte first.
        v.shownOrder = Join({{0, 3, 2, 1, 6, 5, 4}, Span(7, 16), {19, 18, 20, 21}, Span(29, 36)});
        v.downloadPrefix = {{0xD3, 0x00}, {0xC8, 0x30}};
        v.download = Join({Span(1, 16), Span(18, 21), Span(29, 36), {0}});
        v.eep = Join({{0}, Span(1, 16), Span(18, 21), Span(29, 36)});
        v.readHeading = "Register values read from KX6500:\n\nAdr\tData\tRegister\n\n";
        v.readBack = {{0xC8, "C8\t%02X\tRFMAIN\n"}, {0xCA, "CA\t%02X\tFREQ_A0\n"}, {0xCB, "CB\t%02X\tFREQ_A1\n"},
                      {0xCC, "CC\t%02X\tFREQ_A2\n"}, {0xCD, "CD\t%02X\tFREQ_B0\n"}, {0xCE, "CE\t%02X\tFREQ_B1\n"},
                      {0xCF, "CF\t%02X\tFREQ_B2\n"}, {0xD9, "D9\t%02X\tMODEM2\n"},  {0xDA, "DA\t%02X\tMODEM1\n"},
                      {0xDB, "DB\t%02X\tMODEM0\n"},  {0xDC, "DC\t%02X\tMATCH\n"},   {0xE1, "E1\t%02X\tCURRENT\n"},
                      {0xE2, "E2\t%02X\tPA_POWER\n"}, {0xE3, "E3\t%02X\tPLL\n"},    {0xE4, "E4\t%02X\tLOCK\n"},
                      {0xE5, "E5\t%02X\tCAL\n"},     {0xE6, "E6\t%02X\tPRESCALE\n"}, {0xEA, "EA\t%02X\tFSEP0\n"},
                      {0xEB, "EB\t%02X\tFSEP1\n"},   {0xEC, "EC\t%02X\tFSCTRL\n"},  {0xEE, "EE\t%02X\tFREND\n"},
                      {0xF9, "F9\t%02X\tTEST0\n"},   {0xFA, "FA\t%02X\tTEST1\n"},   {0xFB, "FB\t%02X\tTEST2\n"},
                      {0xFC, "FC\t%02X\tTEST3\n"},   {0xFD, "FD\t%02X\tTEST4\n"},   {0xFE, "FE\t%02X\tTEST5\n"},
                      {0xFF, "FF\t%02X\tTEST6\n"},   {0xB4, "\t%02X\tSIGBER\n"},    {0xB5, "\t%02X\tERRCNTH\n"},
                      {0xB6, "\t%02X\tERRCNTL\n"}};
        return v;
    }();
    return t;
}

}  // namespace tessary
