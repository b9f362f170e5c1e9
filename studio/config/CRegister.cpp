#include "studio/config/CRegister.h"

#include <bit>

namespace tessary {

namespace {
constexpr std::array<int, kFrameCount> kInitialFrames = {0x002, 0x000, 0x040, 0, 0, 0, 0, 0};

template <std::size_t N>
bool InRange(const std::array<int, N>&, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N;
}

template <std::size_t N>
void SetBits(std::array<int, N>& image, int index, int mask, bool on) {
    if (!InRange(image, index)) return;
    image[index] = on ? (image[index] | mask) : (image[index] & ~mask);
}
}  // namespace

CTmpReg::CTmpReg() : frames_(kInitialFrames) {}

int CTmpReg::GetFrame(int index) const { return InRange(frames_, index) ? frames_[index] : 0; }

void CTmpReg::SetFrameBits(int index, int mask, bool on) { SetBits(frames_, index, mask, on); }

void CTmpReg::SetFrameField(int index, int mask, int value) {
    if (!InRange(frames_, index) || mask == 0) return;
    const int shift = std::countr_zero(static_cast<unsigned>(mask));
    const auto shifted = static_cast<int>(static_cast<unsigned>(value) << shift);
    frames_[index] = (frames_[index] & ~mask) | shifted;
}

CRegister::CRegister() : frames_(kInitialFrames) { changed_.fill(1); }

void CRegister::SetFrame(int index, int value) {
    if (!InRange(frames_, index)) return;
    frames_[index] = value;
    changed_[index] = 1;
}

int CRegister::GetFrame(int index) const { return InRange(frames_, index) ? frames_[index] : 0; }

int CRegister::TestFrameBits(int index, int mask) const { return (GetFrame(index) & mask) != 0 ? 1 : 0; }

void CRegister::SetFrameBits(int index, int mask, bool on) {
    if (!InRange(frames_, index)) return;
    const int before = frames_[index];
    SetBits(frames_, index, mask, on);
    if (frames_[index] != before) changed_[index] = 1;
}

bool CRegister::FrameChanged(int index) const { return InRange(changed_, index) && changed_[index] != 0; }

void CRegister::ClearFrameChanged(int index) {
    if (InRange(changed_, index)) changed_[index] = 0;
}

void CRegister::Download(bool changedOnly) {
    if (!changedOnly) {
        bus_.WriteFrameSet(frames_);
        changed_.fill(0);
        return;
    }
    for (int i = 0; i < kFrameCount; ++i) {
        if (!changed_[i]) continue;
        bus_.WriteFrame(FrameWord(i, frames_[i]));
        changed_[i] = 0;
    }
}

void CRegister::SetReg(int index, int value) {
    if (InRange(primary_, index)) primary_[index] = value;
}

int CRegister::GetReg(int index) const { return InRange(primary_, index) ? primary_[index] : 0; }

void CRegister::SetRegBits(int index, int mask, bool on) { SetBits(primary_, index, mask, on); }

void CRegister::SetReg6300(int index, int value) {
    if (InRange(secondary_, index)) secondary_[index] = value;
}

int CRegister::GetReg6300(int index) const { return InRange(secondary_, index) ? secondary_[index] : 0; }

void CRegister::SetRegBits6300(int index, int mask, bool on) { SetBits(secondary_, index, mask, on); }

}  // namespace tessary
