#include "studio/config/InfoHelpKX400.h"

#include <array>

namespace tessary {

namespace {

using Bodies = std::array<std::string_view, 14>;

constexpr Bodies kKX400 = {
    // Crystal frequency
    "The crystal frequency in MHz, 4 to 13 MHz. The synthesizer compares against the crystal divided by 2k + 4; "
    "a 12 MHz crystal gives a 2 MHz comparison frequency, which suits most RF frequencies and separations.",
    // Crystal accuracy
    "The total tolerance of the crystal in ppm (initial tolerance, temperature drift and ageing), 0 to 500 ppm.\n"
    "Both ends of the link drift, so the IF filter must accept twice this tolerance at the RF frequency on top of "
    "the frequency separation. You are told when the chosen IF stage cannot.",
    // RF frequency
    "The RF frequency in MHz, 300 to 500 MHz for the KX400. In TX mode the synthesizer runs half the frequency "
    "separation below it; in the other modes it runs the IF below it.",
    // IF Stage
    "The IF filter of the receiver: the internal 60 kHz or 200 kHz filter, the internal 455 kHz filter or an "
    "external 455 kHz ceramic filter. A narrow IF gives the best sensitivity but needs an accurate crystal and a "
    "small frequency separation; with the external filter you are told the bandwidth it needs.",
    // Frequency separation
    "The FSK frequency separation in kHz, 0 to 200 kHz (the distance between the '0' and the '1' frequency). "
    "A wider separation is more robust but needs a wider IF filter.",
    // Data rate
    "The data rate in kbit/s, 0.3 to 9.6. The data filters of the receiver are set from it; the PLL loop filter is "
    "designed for at least 1.8 kbit/s.",
    // Power amplifier class
    "The class of the power amplifier and the output powers it offers: class A -5 to 0 dBm, class AB -4 to 6 dBm, "
    "class B 0 to 12 dBm, class C 0 to 14 dBm. Class C is the most efficient, class A the most linear.",
    // RF output power
    "The output power in whole dBm. The power amplifier class decides which powers can be set (see Power "
    "amplifier class); the current consumption in TX mode follows the power.",
    // Mode
    "RX and TX; PD (osc. on) powers down everything but the crystal oscillator for a fast start, PD (osc. off) "
    "powers down the whole chip; RX precharging charges the data slicer for a quick start of reception.",
    // Receiver mode
    "Optimum sensitivity gives the best reception of weak signals; optimum linearity handles strong interferers "
    "better. The choice also changes the input/output match.",
    // LOCK indicator
    "What the LOCK pin shows: continuous lock detection, a one-shot indication after each start, or nothing. "
    "The main window shows the lock pin of the evaluation board twice a second.",
    // PLL loop filter
    "The components of the PLL loop filter, R121, C121, R122, C122, C123 and R123, computed from the data rate, "
    "the division ratio and a VCO gain of 20 MHz/V, and rounded to the E12 series.",
    // Input/output match
    "The input/output match for the RF frequency: C51 and L61 are fixed, L51 and C61 are computed for the "
    "receiver mode and rounded to the E12 series. The remaining trim is set in the chip.",
    // VCO current
    "The current of the VCO, 000 (maximum) to 111 (minimum). Use the lowest current that keeps the PLL in lock "
    "over temperature.",
};

constexpr Bodies kKX900 = {
    // Crystal frequency
    "The crystal frequency in MHz, 4 to 13 MHz. The synthesizer compares against the crystal divided by 2k + 4 "
    "and runs a prescaler of two; a 12 MHz crystal gives a 2 MHz comparison frequency.",
    // Crystal accuracy
    "The total tolerance of the crystal in ppm, 0 to 500 ppm. At 900 MHz every ppm counts twice as much as on "
    "the KX400: the IF filter must accept twice the tolerance at the RF frequency on top of the separation.",
    // RF frequency
    "The RF frequency in MHz, 800 to 1000 MHz for the KX900. In TX mode the synthesizer runs half the frequency "
    "separation below it; in the other modes it runs the IF below it.",
    // IF Stage
    "The IF filter of the receiver: the internal 60 kHz or 200 kHz filter, the internal 455 kHz filter or an "
    "external 455 kHz ceramic filter. The narrow stages need an accurate crystal at these frequencies; with the "
    "external filter you are told the bandwidth it needs.",
    // Frequency separation
    "The FSK frequency separation in kHz, 0 to 200 kHz. A wider separation is more robust but needs a wider IF "
    "filter.",
    // Data rate
    "The data rate in kbit/s, 0.3 to 9.6. Up to 1 kbit/s, up to 2.4 kbit/s, up to 7 kbit/s and above each set "
    "their own data filters.",
    // Power amplifier class
    "The class of the power amplifier and the output powers it offers: class A -20 to -12 dBm, class AB -15 to "
    "-5 dBm, class B -8 to 1 dBm, class C -8 to 4 dBm.",
    // RF output power
    "The output power in whole dBm. The power amplifier class decides which powers can be set (see Power "
    "amplifier class); the current consumption in TX mode follows the power.",
    // Mode
    "RX and TX; PD (osc. on) powers down everything but the crystal oscillator, PD (osc. off) the whole chip; "
    "RX precharging charges the data slicer for a quick start of reception.",
    // Receiver mode
    "Optimum sensitivity gives the best reception of weak signals; optimum linearity handles strong interferers "
    "better.",
    // LOCK indicator
    "What the LOCK pin shows: continuous lock detection, a one-shot indication after each start, or nothing. "
    "The main window shows the lock pin of the evaluation board twice a second.",
    // PLL loop filter
    "The components of the PLL loop filter, R121, C121, R122, C122, C123 and R123, computed from the data rate, "
    "the division ratio and a VCO gain of 25 MHz/V, and rounded to the E12 series.",
    // Input/output match
    "The input/output match: C51 220 pF and L61 100 nH; L51 is 10 nH from 900 to 930 MHz and 12 nH from 850 to "
    "900 MHz (no value is known outside 850 to 930 MHz). C61 is not mounted on the KX900.",
    // VCO current
    "The current of the VCO, 000 (maximum) to 111 (minimum). Use the lowest current that keeps the PLL in lock "
    "over temperature.",
};

}  // namespace

std::string_view KX400HelpBody(int topic, bool kx400) {
    if (topic < 0 || topic >= static_cast<int>(kKX400.size())) return {};
    return (kx400 ? kKX400 : kKX900)[static_cast<std::size_t>(topic)];
}

}  // namespace tessary
