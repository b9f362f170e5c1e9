#include "sim/chip/Sfr.h"

#include <array>
#include <utility>

namespace sim::sfr {

namespace {

// clang-format off
constexpr std::pair<std::uint8_t, std::string_view> kNames[] = {
    {P0, "P0"}, {SP, "SP"}, {DPL, "DPL"}, {DPH, "DPH"}, {DPL1, "DPL1"}, {DPH1, "DPH1"}, {DPS, "DPS"}, {PCON, "PCON"},
    {TCON, "TCON"}, {TMOD, "TMOD"}, {TL0, "TL0"}, {TL1, "TL1"}, {TH0, "TH0"}, {TH1, "TH1"}, {CKCON, "CKCON"},
    {P1, "P1"}, {EXIF, "EXIF"}, {MPAGE, "MPAGE"}, {ADCON, "ADCON"}, {ADDATL, "ADDATL"}, {ADDATH, "ADDATH"},
    {ADCON2, "ADCON2"}, {ADTRH, "ADTRH"}, {SCON0, "SCON0"}, {SBUF0, "SBUF0"}, {TRICON, "TRICON"}, {TRI3, "TRI3"},
    {TRI2, "TRI2"}, {TRI1, "TRI1"}, {TRI0, "TRI0"}, {CHVER, "CHVER"}, {P2, "P2"}, {SPCR, "SPCR"}, {SPDR, "SPDR"},
    {SPSR, "SPSR"}, {P0DIR, "P0DIR"}, {P1DIR, "P1DIR"}, {P2DIR, "P2DIR"}, {P3DIR, "P3DIR"}, {IE, "IE"},
    {TCON2, "TCON2"}, {T2PRE, "T2PRE"}, {T3PRE, "T3PRE"}, {T2, "T2"}, {T3, "T3"}, {FLADR, "FLADR"}, {FLCON, "FLCON"},
    {P3, "P3"}, {CRPINI0, "CRPINI0"}, {CRPINI1, "CRPINI1"}, {CRPINI2, "CRPINI2"}, {CRPINI3, "CRPINI3"}, {IP, "IP"},
    {RDATA, "RDATA"}, {RADRL, "RADRL"}, {RADRH, "RADRH"}, {CRPINI4, "CRPINI4"}, {CRPINI5, "CRPINI5"},
    {CRPINI6, "CRPINI6"}, {CRPINI7, "CRPINI7"}, {SCON1, "SCON1"}, {SBUF1, "SBUF1"}, {RFCON, "RFCON"},
    {CRPCON, "CRPCON"}, {CRPKEY, "CRPKEY"}, {CRPDAT, "CRPDAT"}, {CRPCNT, "CRPCNT"}, {RANCON, "RANCON"},
    {RFMAIN, "RFMAIN"}, {RFBUF, "RFBUF"}, {FREQ0A, "FREQ0A"}, {FREQ1A, "FREQ1A"}, {FREQ2A, "FREQ2A"},
    {FREQ0B, "FREQ0B"}, {FREQ1B, "FREQ1B"}, {FREQ2B, "FREQ2B"}, {PSW, "PSW"}, {POWER, "POWER"}, {WDT, "WDT"},
    {PDET, "PDET"}, {BSYNC, "BSYNC"}, {EICON, "EICON"}, {MODEM2, "MODEM2"}, {MODEM1, "MODEM1"}, {MODEM0, "MODEM0"},
    {MATCH, "MATCH"}, {FLTIM, "FLTIM"}, {ACC, "ACC"}, {CURRENT, "CURRENT"}, {PA_POW, "PA_POW"}, {PLL, "PLL"},
    {LOCK, "LOCK"}, {CAL, "CAL"}, {PRESCAL, "PRESCAL"}, {EIE, "EIE"}, {FSDELAY, "FSDELAY"}, {FSEP0, "FSEP0"},
    {FSEP1, "FSEP1"}, {FSCTRL, "FSCTRL"}, {RTCON, "RTCON"}, {FREND, "FREND"}, {B, "B"}, {FSHAPE7, "FSHAPE7"},
    {FSHAPE6, "FSHAPE6"}, {FSHAPE5, "FSHAPE5"}, {FSHAPE4, "FSHAPE4"}, {FSHAPE3, "FSHAPE3"}, {FSHAPE2, "FSHAPE2"},
    {FSHAPE1, "FSHAPE1"}, {EIP, "EIP"}, {TEST0, "TEST0"}, {TEST1, "TEST1"}, {TEST2, "TEST2"}, {TEST3, "TEST3"},
    {TEST4, "TEST4"}, {TEST5, "TEST5"}, {TEST6, "TEST6"},
};
// clang-format on

// Everything else resets to 0.
constexpr std::pair<std::uint8_t, std::uint8_t> kResetValues[] = {
    {SP, 0x07}, {P0, 0xFF}, {P1, 0xFF}, {P2, 0xFF}, {P3, 0xFF},
};

}  // namespace

std::optional<std::string_view> Name(int address) {
    for (const auto& [a, name] : kNames)
        if (a == address) return name;
    return std::nullopt;
}

std::uint8_t ResetValue(int address) {
    for (const auto& [a, value] : kResetValues)
        if (a == address) return value;
    return 0;
}

}  // namespace sim::sfr
