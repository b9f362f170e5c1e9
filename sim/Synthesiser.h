#pragma once
// The synthesiser of the KX6200/KX6300/KX6500 family, by register meaning: which of
// the two frequency sets has been calibrated since it last changed, and the range of
// a frequency word.

namespace sim {

struct SynthesiserState {
    bool calibrated[2] = {false, false};
    void FrequencyChanged(int set) { calibrated[set] = false; }
    void DividerChanged() { calibrated[0] = calibrated[1] = false; }
};

inline bool WordInRange(int word) { return word >= 4194304 && word <= 16751615; }

// Register bits shared by the three chips: the frequency-set select and the power-down
// bits of the main register, and the calibration start bit.
inline constexpr unsigned kFReg = 0x40;
inline constexpr unsigned kPowerDownBits = 0x08 | 0x04 | 0x02;  // FS_PD, CORE_PD, BIAS_PD
inline constexpr unsigned kCalStart = 0x80;

}  // namespace sim
