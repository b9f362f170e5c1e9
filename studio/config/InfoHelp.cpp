#include "studio/config/InfoHelp.h"

#include <array>
#include <map>
#include <string_view>
#include <vector>

#include "studio/config/InfoHelpKX400.h"

namespace tessary {

namespace {

struct InfoButton {
    int control;
    std::string_view title;
    std::string_view body;  // empty until the form's help is written
};

// KX6200 form, in button order.
const std::vector<InfoButton> kKX6200Buttons = {
    {1101, "KX6200: Crystal frequency",
     "The frequency of the crystal (or external clock) in MHz. Allowed: 3 to 4, 6 to 8 and 9 to 16 MHz.\n"
     "The reference frequency of the synthesiser is the crystal divided by a whole number, so the crystal "
     "decides which RF frequencies can be reached exactly. In synchronous modes (NRZ, Manchester) the data "
     "rate is derived from the crystal: 3.6864, 7.3728, 11.0592 and 14.7456 MHz give the standard rates."},
    {1102, "KX6200: X-tal accuracy",
     "The total frequency tolerance of the crystal in ppm (initial tolerance, temperature drift and ageing), "
     "0 to 500 ppm.\nBoth ends of the link drift, so the receiver must accept twice this tolerance at the RF "
     "frequency. If that uncertainty is larger than the IF bandwidth allows you are warned; use a better "
     "crystal then."},
    {1103, "KX6200: RF Frequencies",
     "The two RF frequencies A and B in MHz, 300 to 1000 MHz. Each can be set up for receiving (Rx) or "
     "transmitting (Tx); the radio button A/B selects the active one.\nWith \"Optimal freq\" the studio moves "
     "frequency A (and B with it) to the nearest frequency the synthesiser can make exactly from the crystal; "
     "frequency B then follows A. \"Low LO\" places the receiver's local oscillator below the RF frequency."},
    {1104, "KX6200: Frequency separation",
     "The FSK frequency separation in kHz (the distance between the '0' and the '1' frequency), 0 to 200 kHz. "
     "A separation of about twice the data rate in kBaud or more is recommended; the largest separation the "
     "synthesiser can make depends on the reference frequency, and larger values are limited."},
    {1105, "KX6200: Data rate",
     "The data rate in kBaud, 0.6 to 76.8. With NRZ and Manchester the chip supports 0.6, 1.2, 2.4, 4.8, 9.6, "
     "19.2, 38.4 and 76.8 kBaud; other values are moved to the nearest supported rate. Rates above 19.2 kBaud "
     "need a crystal above 12 MHz."},
    {1106, "KX6200: Data format",
     "NRZ: the data is sent as it is, synchronous to the chip's data clock.\nManchester: every bit is coded as "
     "a transition, which keeps the signal free of DC; the recommended choice.\nUART: asynchronous data, "
     "the receiver gives the raw demodulated signal to a UART."},
    {1107, "X6200: RF Output power",
     "The output power of the transmitter in dBm, -20 to 10 dBm. Above 500 MHz the largest output power is "
     "5 dBm. The power setting also decides the current consumption in transmit mode."},
    {1108, "KX6200: RX mode",
     "Optimum sensitivity or optimum linearity of the receiver. The studio keeps this choice in the document; "
     "it does not change the calculated registers."},
    {1109, "KX6200: Modulation shaping", "Modulation shaping is not available on the KX6200."},
    {1110, "KX6200: Lock indicator",
     "What the chip's LOCK pin shows: continuous lock detection, a one-shot lock indication, or the pin "
     "controls an external power amplifier or LNA. \"Disabled\" turns the lock output off. The main window "
     "shows the lock state read from the evaluation board twice a second."},
    {1111, "KX6200: IF / RSSI",
     "\"RSSI Enabled\" gives the received signal strength on the RSSI pin; \"External 10.7MHz IF\" uses an "
     "external 10.7 MHz IF filter instead of the internal 150 kHz IF; \"Disabled\" turns both off to save "
     "current."},
    {1112, "KX6200:Operator mode",
     "The operating mode written to the chip: RX, TX, power down (PD) or one of the crystal oscillator modes, "
     "which keep the oscillator, the bias and the synthesiser running for a fast start. The active frequency's "
     "direction (Rx or Tx) must match RX or TX mode when the device is updated."},
    {1201, "KX6200: VCO Inductor",
     "The external VCO inductor L101 in nH for the active RF frequency. Use a high-Q inductor of the value "
     "shown; values for frequencies between the standard bands are estimated and rounded to the standard "
     "series."},
    {1202, "KX6200: Input/output match",
     "The components of the input/output match for the active RF frequency: L32, L41 in nH and C31, C41, C42 "
     "in pF. \"N.A\" means the part is not mounted; \"TBD\" means no values are known for this frequency."},
    {1203, "Build in test", "TBD"},
};

const std::vector<InfoButton> kKX6500Buttons = {
    {1101, "KX6500: Crystal frequency",
     "The frequency of the crystal (or external clock) in MHz: 3 to 4, 6 to 8, 9 to 16, 16 to 20 or 20 to 24 MHz. "
     "The crystal also clocks the 8051 core. 3.6864, 7.3728, 11.0592, 14.7456, 18.432 and 22.1184 MHz give the "
     "standard data rates in the synchronous modes; 7.3728, 14.7456 and 22.1184 MHz reach 38.4 kBaud and 14.7456 MHz "
     "76.8 kBaud."},
    {1102, "KX6500: Crystal Accuracy",
     "The total frequency tolerance of the crystal in ppm, 0 to 500. Twice this tolerance at the RF frequency must "
     "fit the IF bandwidth; you are warned when it does not."},
    {1103, "KX6500: RF frequencies",
     "The RF frequencies A and B in MHz, 300 to 1000 MHz, each for receiving (Rx) or transmitting (Tx); A/B selects "
     "the active one. The internal IF is 150 kHz up to 500 MHz and 130 kHz above. \"Optimal freq\" moves A (and B) "
     "to the nearest frequency the synthesiser makes exactly; \"Low LO\" puts the receiver's LO below RF."},
    {1104, "KX6500: Frequency separation",
     "The FSK frequency separation in kHz, 0 to 200. With modulation shaping the separation register must stay "
     "below 64; larger separations are limited and you are told so."},
    {1105, "KX6500: Data Rate",
     "The data rate in kBaud, 0.6 to 76.8. NRZ and Manchester use the standard rates 0.6 to 76.8 kBaud that the "
     "crystal allows; other values are moved to the nearest one. The bit-error-rate estimator works up to "
     "4.8 kBaud."},
    {1106, "KX6500: Data format",
     "NRZ and Manchester are synchronous formats clocked by the chip; Transparent passes the demodulated signal "
     "through; UART connects the modem to the 8051's serial port."},
    {1107, "KX6500: RF Output power",
     "The transmitter's output power in dBm, -20 to 10. Above 500 MHz the largest output power is 4 dBm."},
    {1108, "KX6500: RX mode", "The receiver mode is fixed on the KX6500."},
    {1109, "KX6500: Modulation shaping",
     "Raised-cosine shaping narrows the transmitted spectrum; dithering spreads the synthesiser's spurious "
     "emissions. Both can be combined."},
    {1110, "KX6500: Lock indicator",
     "\"Enable\" lets the main window show the PLL lock state, read from the LOCK register of the chip twice a "
     "second; \"Disable\" stops the polling."},
    {1111, "KX6500: IF / RSSI",
     "\"RSSI Enabled\" gives the received signal strength; \"External 10.7MHz IF\" uses an external IF filter; "
     "\"Disabled\" turns both off."},
    {1112, "KX6500: Mode",
     "The operating mode: RX, TX, power down or one of the crystal oscillator modes. The active frequency's "
     "direction must match RX or TX mode when the device is updated."},
    {1201, "KX6500: VCO Inductor",
     "The external VCO inductor L101 in nH for the active RF frequency; \"TBD\" where no value is known."},
    {1202, "KX6500: Input / output match",
     "The input/output match L32, L41 (nH) and C31, C41, C42 (pF) for the active RF frequency. \"N.A\" means the "
     "part is not mounted."},
    {1203, "KX6500: Build in test",
     "The built-in bit-error-rate estimator of the adapter program: enable it, choose the window over which errors "
     "are counted (BERWIN) and the test signal (SIGTYPE). The error count and the bit-error rate are shown while it "
     "runs."},
};

const std::vector<InfoButton> kKX6300Buttons = {
    {1301, "KX6300: Crystal frequency",
     "The frequency of the crystal (or external clock) in MHz: 3 to 4, 6 to 8 or 9 to 16 MHz. The reference of the "
     "synthesiser is the crystal divided by a whole number, found from frequency A and used for both frequencies. "
     "With NRZ and Manchester the data rate comes from the crystal: 3.6864, 7.3728, 11.0592 and 14.7456 MHz give "
     "the standard rates."},
    {1302, "KX6300: RF frequency",
     "The two transmit frequencies A and B in MHz, 300 to 1000 MHz; the radio button A/B selects the active one. "
     "The transmitter sits at the lower FSK frequency, half the separation below the frequency entered. Frequency "
     "B uses the reference found for A: when B cannot be reached with it you are told so, and B keeps its last "
     "setting."},
    {1303, "KX6300: Frequency separation",
     "The FSK frequency separation in kHz, 0 to 200 kHz. A separation of about twice the data rate in kBaud or "
     "more is recommended. The largest separation the synthesiser makes depends on the reference frequency; a "
     "larger value is limited and you are told so."},
    {1304, "KX6300: Data rate",
     "The data rate in kBaud, 0.6 to 76.8. With NRZ and Manchester and one of the recommended crystals the rate "
     "is moved to the nearest standard rate (0.6, 1.2, 2.4, 4.8, 9.6, 19.2, 38.4 or 76.8 kBaud). Above 19.2 kBaud "
     "the prescaler and the test register are set for the faster modulator."},
    {1305, "KX6300: Data format",
     "NRZ: the data is sent as it is, synchronous to the chip's data clock.\nManchester: every bit is coded as a "
     "transition, which keeps the signal free of DC; the recommended choice.\nUART: asynchronous data from a UART; "
     "the data rate is then not changed by the studio."},
    {1306, "KX6300: RF output power",
     "The output power of the transmitter in dBm, -20 to 12 dBm. From 500 MHz up the largest output power is "
     "8 dBm. The power decides the current consumption in TX mode."},
    {1307, "KX6300: Modulation shaping",
     "Raised-cosine shaping narrows the transmitted spectrum; dithering spreads the synthesiser's spurious "
     "emissions."},
    {1308, "KX6300: Lock",
     "What the chip's LOCK pin shows: continuous lock detection, a one-shot lock indication, or the pin controls "
     "an external power amplifier. \"Disabled\" turns the lock output off. The main window shows the lock state "
     "read from the evaluation board twice a second."},
    {1309, "KX6300: Mode",
     "The operating mode written to the chip: TX, power down (PD) or one of the crystal oscillator modes, which "
     "keep the oscillator, the bias and the synthesiser running for a fast start. The typical current consumption "
     "of the mode is shown in the main window."},
    {1310, "KX6300: VCO inductor",
     "The external VCO inductor L1 in nH for the active RF frequency. Values are given for the 300 to 330, 390 to "
     "440 and 860 to 930 MHz bands; \"TBD\" means no value is known for this frequency."},
    {1311, "KX6300: Match",
     "The output match for the active RF frequency: L2 in nH and C1, C2 in pF, for the 300 to 330, 390 to 440 and "
     "860 to 930 MHz bands. \"TBD\" means no values are known for this frequency."},
};

// The KX400/KX900 form shares its buttons; the title names the device.
constexpr std::array<std::string_view, 14> kKX400Topics = {
    "Crystal frequency", "Crystal accuracy", "RF frequency", "IF Stage", "Frequency separation",
    "Data rate", "Power amplifier class", "RF output power", "Mode", "Receiver mode",
    "LOCK indicator", "PLL loop filter", "Input/output match", "VCO current"};
constexpr int kKX400FirstControl = 1001;

const std::vector<InfoButton>* Buttons(InfoForm form) {
    switch (form) {
        case InfoForm::KX6200: return &kKX6200Buttons;
        case InfoForm::KX6500: return &kKX6500Buttons;
        case InfoForm::KX6300: return &kKX6300Buttons;
        case InfoForm::KX400: return nullptr;
    }
    return nullptr;
}

std::string Join(std::string_view title, std::string_view body) {
    return std::string(title) + "\n" + std::string(body);
}

// The string resources, keyed by string number, built from the button tables through
// the same numbering the buttons use to find them.
const std::map<int, std::string>& StringTable() {
    static const std::map<int, std::string> table = [] {
        std::map<int, std::string> t;
        for (InfoForm form : {InfoForm::KX6200, InfoForm::KX6500, InfoForm::KX6300})
            for (const auto& b : *Buttons(form)) t[InfoStringNumber(form, b.control)] = Join(b.title, b.body);
        for (int i = 0; i < static_cast<int>(kKX400Topics.size()); ++i) {
            const int control = kKX400FirstControl + i;
            t[InfoStringNumber(InfoForm::KX400, control, 4)] =
                Join("KX400: " + std::string(kKX400Topics[i]), KX400HelpBody(i, true));
            t[InfoStringNumber(InfoForm::KX400, control, 9)] =
                Join("KX900: " + std::string(kKX400Topics[i]), KX400HelpBody(i, false));
        }
        return t;
    }();
    return table;
}

}  // namespace

int InfoButtonCount(InfoForm form) {
    if (form == InfoForm::KX400) return static_cast<int>(kKX400Topics.size());
    return static_cast<int>(Buttons(form)->size());
}

int InfoButtonControl(InfoForm form, int buttonIndex) {
    if (buttonIndex < 0 || buttonIndex >= InfoButtonCount(form)) return 0;
    if (form == InfoForm::KX400) return kKX400FirstControl + buttonIndex;
    return (*Buttons(form))[buttonIndex].control;
}

int InfoStringNumber(InfoForm form, int control, double deviceNumber) {
    switch (form) {
        case InfoForm::KX6200: return control <= 1200 ? control + 59 : control + 38;
        case InfoForm::KX6500: return control <= 1200 ? control + 74 : control + 53;
        case InfoForm::KX6300: return control - 87;
        case InfoForm::KX400: return deviceNumber == 4 ? control + 121 : control + 100;
    }
    return 0;
}

std::optional<std::string> LoadHelpString(int stringNumber) {
    const auto& table = StringTable();
    const auto it = table.find(stringNumber);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

std::optional<UserMessage> InfoMessage(InfoForm form, int buttonIndex, double deviceNumber) {
    const int control = InfoButtonControl(form, buttonIndex);
    if (control == 0) return std::nullopt;
    const auto text = LoadHelpString(InfoStringNumber(form, control, deviceNumber));
    if (!text) return std::nullopt;
    const auto split = text->find('\n');
    return UserMessage{text->substr(split + 1), text->substr(0, split), MessageIcon::Information};
}

}  // namespace tessary
