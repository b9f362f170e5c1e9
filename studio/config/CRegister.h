#pragma once
// The document's register set: the KX400/KX900 frames with their change flags, the
// primary register image (KX6200, KX6500) and the secondary image (KX6300).
// Out-of-range indices are ignored on writes and read as 0: a slot number comes from
// tables, and a wrong one must not reach the neighbouring image.

#include <array>
#include <cstdint>

#include "studio/board/CRegisterBus.h"

namespace tessary {

inline constexpr int kFrameCount = 8;
// Slots 0 to 36: the KX6500 keeps its estimator set-up byte in slot 36.
inline constexpr int kPrimarySlots = 37;
inline constexpr int kSecondarySlots = 70;

class CTmpReg {
public:
    CTmpReg();
    int GetFrame(int index) const;
    void SetFrameBits(int index, int mask, bool on);
    // Clears the mask bits, then ORs in value shifted to the mask's lowest set bit.
    void SetFrameField(int index, int mask, int value);

protected:
    std::array<int, kFrameCount> frames_;
};

class CRegister {
public:
    CRegister();
    virtual ~CRegister() = default;

    void SetFrame(int index, int value);
    int GetFrame(int index) const;
    int TestFrameBits(int index, int mask) const;
    void SetFrameBits(int index, int mask, bool on);
    bool FrameChanged(int index) const;
    void ClearFrameChanged(int index);

    void SetReg(int index, int value);
    int GetReg(int index) const;
    void SetRegBits(int index, int mask, bool on);

    void SetReg6300(int index, int value);
    virtual int GetReg6300(int index) const;
    void SetRegBits6300(int index, int mask, bool on);

    // Sends the KX400/KX900 frames: all eight with WriteFrameSet, or with changed only
    // each flagged frame on its own; the flags of what was sent are cleared.
    void Download(bool changedOnly);
    void SetBaseAddress(std::uint16_t base) { bus_.SetBaseAddress(base); }
    CRegisterBus& GetBus() { return bus_; }

private:
    CRegisterBus bus_;
    std::array<int, kFrameCount> frames_;
    std::array<int, kFrameCount> changed_;
    std::array<int, kPrimarySlots> primary_{};
    std::array<int, kSecondarySlots> secondary_{};
};

}  // namespace tessary
