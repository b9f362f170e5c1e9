#pragma once
// The one record of the system parameters of all five models, owned by the document.

#include <string>

namespace tessary {

// KX400/KX900 block, SI units.
struct KX400Block {
    int vcoCurrent = 0;         // 0..7
    double xtal = 0;            // Hz
    double ppm = 0;             // plain fraction
    double rf = 0;              // Hz
    int ifStage = 0;            // "60", "200", "Internal 455", "External 455"
    double sep = 0;             // Hz
    double rate = 0;            // bit/s
    int paClass = 0;            // Class A, AB, B, C
    double power = 0;           // dBm
    int mode = 0;
    int rxMode = 0;
    int lock = 0;
    double deviceNumber = -1;   // 4, 9 or -1
};

// Shared by the KX6200 and KX6500 forms; units as the forms show them.
struct KX6200Block {
    double xtal = 0;   // MHz
    double ppm = 0;    // ppm
    double rfA = 0;    // MHz
    double rfB = 0;    // MHz
    double sep = 0;    // kHz
    double rate = 0;   // kBaud
    int format = 0;
    double power = 0;  // dBm
    int rxMode = 0;
    int shape = 0;
    int lock = 0;
    int ifRssi = 0;
    int mode = 0;
    int xosc = 0;
    int active = 0;
    int dirA = 0;
    int dirB = 0;
    int settling = 0;
    int optimal = 0;
    int lowLo = 0;
    int lowCurrent = 0;
};

struct KX6300Block {
    double xtal = 0;
    double rfA = 0;
    double rfB = 0;
    double sep = 0;
    double rate = 0;
    int format = 0;
    double power = 0;
    int shape = 0;
    int lock = 0;
    int mode = 0;
    int xosc = 0;
    int active = 0;
};

class CConfig {
public:
    CConfig() { Reset(); }

    // The effect depends on the device number held now: 4 and 9 reset only the
    // KX400/KX900 block, anything else resets every block and sets -1.
    void Reset();

    // Texts of the KX400/KX900 form's lists, kept for its settings report only.
    std::string vcoGainText, lockText, rxModeText, modeText, paClassText, ifStageText;

    KX400Block kx400;
    KX6200Block kx6200;
    KX6300Block kx6300;
};

}  // namespace tessary
