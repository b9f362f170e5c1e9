#pragma once
// The KX6500's special function registers as the views name them (SFR addresses).

#include <cstdint>

namespace kx6500disp::sfr {

inline constexpr std::uint8_t P0 = 0x80, PCON = 0x87, TCON = 0x88, TMOD = 0x89, TL0 = 0x8A, TL1 = 0x8B, TH0 = 0x8C,
                              TH1 = 0x8D, CKCON = 0x8E;
inline constexpr std::uint8_t P1 = 0x90, EXIF = 0x91, ADCON = 0x93, ADDATL = 0x94, ADDATH = 0x95, ADCON2 = 0x96,
                              ADTRH = 0x97, SCON0 = 0x98, SBUF0 = 0x99;
inline constexpr std::uint8_t P2 = 0xA0, SPCR = 0xA1, SPDR = 0xA2, SPSR = 0xA3, P0DIR = 0xA4, P1DIR = 0xA5,
                              P2DIR = 0xA6, P3DIR = 0xA7, IE = 0xA8, TCON2 = 0xA9, T2PRE = 0xAA, T3PRE = 0xAB,
                              T2 = 0xAC, T3 = 0xAD, FLADR = 0xAE, FLCON = 0xAF;
inline constexpr std::uint8_t P3 = 0xB0, CRPINI0 = 0xB4, CRPINI1 = 0xB5, CRPINI2 = 0xB6, CRPINI3 = 0xB7, IP = 0xB8,
                              CRPINI4 = 0xBC, CRPINI5 = 0xBD, CRPINI6 = 0xBE, CRPINI7 = 0xBF;
inline constexpr std::uint8_t SCON1 = 0xC0, SBUF1 = 0xC1, RFCON = 0xC2, CRPCON = 0xC3, CRPKEY = 0xC4, CRPDAT = 0xC5,
                              CRPCNT = 0xC6, RFMAIN = 0xC8, RFBUF = 0xC9, FREQ0A = 0xCA, FREQ1A = 0xCB, FREQ2A = 0xCC,
                              FREQ0B = 0xCD, FREQ1B = 0xCE, FREQ2B = 0xCF;
inline constexpr std::uint8_t CLKCON = 0xD1 /* the clock control register */, WDT = 0xD2, PDET = 0xD3, BSYNC = 0xD4,
                              EICON = 0xD8, MODEM2 = 0xD9, MODEM1 = 0xDA, MODEM0 = 0xDB, MATCH = 0xDC, FLTIM = 0xDD;
inline constexpr std::uint8_t CURRENT = 0xE1, PA_POW = 0xE2, PLL = 0xE3, LOCK = 0xE4, CAL = 0xE5, PRESCALER = 0xE6,
                              EIE = 0xE8, FSDELAY = 0xE9, FSEP0 = 0xEA, FSEP1 = 0xEB, FSCTRL = 0xEC, RTCON = 0xED,
                              FREND = 0xEE;
inline constexpr std::uint8_t FSHAPE7 = 0xF1, FSHAPE6 = 0xF2, FSHAPE5 = 0xF3, FSHAPE4 = 0xF4, FSHAPE3 = 0xF5,
                              FSHAPE2 = 0xF6, FSHAPE1 = 0xF7, EIP = 0xF8;

}  // namespace kx6500disp::sfr
