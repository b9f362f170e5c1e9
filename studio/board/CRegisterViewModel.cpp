#include "studio/board/CRegisterViewModel.h"

#include <bit>
#include <charconv>
#include <cstdio>

namespace tessary {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Hex(int value, bool upper) {
    char text[8];
    std::snprintf(text, sizeof text, upper ? "%02X" : "%02x", value & 0xFF);
    return text;
}

int Shift(int mask) { return std::countr_zero(static_cast<unsigned>(mask)); }

constexpr const char* kTitle = "Tessary Studio";

}  // namespace

std::optional<int> ParseHexField(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const int high = HexDigit(text[0]);
    if (high < 0) return std::nullopt;
    if (text.size() < 2) return high;
    const int low = HexDigit(text[1]);
    return low < 0 ? high : high * 16 + low;
}

int CRegisterViewModel::ListChoices(int mask) { return (mask >> Shift(mask)) + 1; }

CRegisterViewModel::CRegisterViewModel(const RegisterViewTable& table, const CRegister& registers, MessageSink& messages)
    : table_(table), messages_(messages), working_(table.entries.size(), 0) {
    for (const ViewEntry& e : table.entries) {
        const int slot = e.initialSlot;
        const int value = slot < 0 ? e.fixed
                                   : (table.image == Image::Primary ? registers.GetReg(slot) : registers.GetReg6300(slot));
        working_[static_cast<std::size_t>(e.entry)] = value;
    }
    hex.assign(working_.size(), "");
    fieldText.assign(table.fields.size(), "");
    fieldValue.assign(table.fields.size(), 0);
    ShowFromWorkingCopy();
}

void CRegisterViewModel::ShowFromWorkingCopy() {
    for (const ViewEntry& e : table_.entries)
        if (e.shown) hex[static_cast<std::size_t>(e.entry)] = Hex(working_[static_cast<std::size_t>(e.entry)], table_.upperHex);
    for (std::size_t i = 0; i < table_.fields.size(); ++i) {
        const FieldBinding& f = table_.fields[i];
        const int bits = (working_[static_cast<std::size_t>(f.entry)] & f.mask) >> Shift(f.mask);
        fieldValue[i] = f.kind == FieldKind::Check ? (bits != 0 ? 1 : 0) : bits;
        if (f.kind == FieldKind::Decimal) fieldText[i] = std::to_string(bits);
    }
}

void CRegisterViewModel::ApplyEdits() {
    for (const ViewEntry& e : table_.entries) {
        if (!e.shown) continue;
        const auto value = ParseHexField(hex[static_cast<std::size_t>(e.entry)]);
        if (value) working_[static_cast<std::size_t>(e.entry)] = *value;
    }
    ShowFromWorkingCopy();
}

bool CRegisterViewModel::OnFieldChanged(int field) {
    if (field < 0 || field >= static_cast<int>(table_.fields.size())) return false;
    const FieldBinding& f = table_.fields[static_cast<std::size_t>(field)];
    int& reg = working_[static_cast<std::size_t>(f.entry)];
    int value = fieldValue[static_cast<std::size_t>(field)];
    if (f.kind == FieldKind::Decimal) {
        const std::string& text = fieldText[static_cast<std::size_t>(field)];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || value < f.min || value > f.max) {
            focus_ = field;
            messages_.Show({"Please enter an integer between " + std::to_string(f.min) + " and " + std::to_string(f.max) +
                                ".",
                            kTitle, MessageIcon::Exclamation});
            return false;
        }
    }
    focus_.reset();
    if (f.kind == FieldKind::Check) {
        reg = value ? (reg | f.mask) : (reg & ~f.mask);
    } else {
        reg = (reg & ~f.mask) | ((value << Shift(f.mask)) & f.mask);
    }
    ShowFromWorkingCopy();
    return true;
}

void CRegisterViewModel::WriteRegister(int address, int value) {
    const auto a = static_cast<std::uint8_t>(address);
    const auto v = static_cast<std::uint8_t>(value);
    if (table_.boardBus) bus_.WriteRegisterKX6500(a, v);
    else bus_.WriteRegister(a, v);
}

int CRegisterViewModel::ReadRegister(int address) {
    const auto a = static_cast<std::uint8_t>(address);
    return table_.boardBus ? bus_.ReadRegisterKX6500(a) : bus_.ReadRegister(a);
}

void CRegisterViewModel::UpdateDevice() {
    ApplyEdits();
    for (const auto& [address, value] : table_.downloadPrefix) WriteRegister(address, value);
    for (int entry : table_.download)
        WriteRegister(table_.entries[static_cast<std::size_t>(entry)].address, working_[static_cast<std::size_t>(entry)]);
}

std::string CRegisterViewModel::ReadBack() {
    std::string text(table_.readHeading);
    for (const ReadLine& line : table_.readBack) {
        const int value = ReadRegister(line.address);
        if (line.format.empty()) continue;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, std::string(line.format).c_str(), value);
        text += buffer;
    }
    messages_.Show({text, kTitle, MessageIcon::None});
    return text;
}

void CRegisterViewModel::Calibrate() {
    bus_.PulseCalibration(static_cast<std::uint8_t>(table_.calAddress),
                          working_[static_cast<std::size_t>(table_.calEntry)], table_.boardBus);
}

void CRegisterViewModel::Reset() {
    if (table_.boardBus) {
        bus_.ResetKX6500();
        return;
    }
    const int address = table_.entries[static_cast<std::size_t>(table_.mainEntry)].address;
    bus_.PulseReset(static_cast<std::uint8_t>(address), working_[static_cast<std::size_t>(table_.mainEntry)]);
}

std::string CRegisterViewModel::EepText() const {
    std::string text;
    for (int entry : table_.eep) {
        char line[16];
        std::snprintf(line, sizeof line, "%02X:%02X\n", table_.entries[static_cast<std::size_t>(entry)].address & 0xFF,
                      working_[static_cast<std::size_t>(entry)] & 0xFF);
        text += line;
    }
    return text;
}

bool CRegisterViewModel::LoadEep(std::span<const std::uint8_t> bytes) {
    const std::size_t lines = table_.eep.size();
    if (bytes.size() < lines * 7) {
        messages_.Show({"The register file is too short for the " + std::string(table_.device) + ": it needs " +
                            std::to_string(lines) + " lines of 7 bytes.",
                        kTitle, MessageIcon::Exclamation});
        return false;
    }
    std::vector<int> values;
    for (std::size_t k = 0; k < lines; ++k) {
        const int high = HexDigit(static_cast<char>(bytes[7 * k + 3]));
        const int low = HexDigit(static_cast<char>(bytes[7 * k + 4]));
        if (high < 0 || low < 0) {
            messages_.Show({"Line " + std::to_string(k + 1) + " of the register file holds no hex value.", kTitle,
                            MessageIcon::Exclamation});
            return false;
        }
        values.push_back(high * 16 + low);
    }
    for (std::size_t k = 0; k < lines; ++k) working_[static_cast<std::size_t>(table_.eep[k])] = values[k];
    ShowFromWorkingCopy();
    return true;
}

// ---- KX400/KX900 ----

void CRegisterView::ShowFromRegisters() {
    boxes.assign(kFrameCount, std::vector<int>(13, 0));
    for (int f = 0; f < kFrameCount; ++f)
        for (int b = 0; b < 13; ++b) boxes[static_cast<std::size_t>(f)][static_cast<std::size_t>(b)] = registers_.TestFrameBits(f, 1 << (12 - b));
}

void CRegisterView::TakeOverBoxes() {
    if (boxes.size() != kFrameCount) ShowFromRegisters();
    for (int f = 0; f < kFrameCount; ++f)
        for (int b = 0; b < 13; ++b)
            registers_.SetFrameBits(f, 1 << (12 - b), boxes[static_cast<std::size_t>(f)][static_cast<std::size_t>(b)] != 0);
}

void CRegisterView::OnBoxClicked() {
    TakeOverBoxes();
    ShowFromRegisters();
    if (document_) document_->UpdateAllViews();
}

void CRegisterView::UpdateDevice() {
    TakeOverBoxes();
    registers_.Download(false);
}

std::string CRegisterView::Word(int frame) const {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", FrameWord(frame, registers_.GetFrame(frame)));
    return text;
}

std::string CRegisterView::EepText() const {
    std::string text;
    for (int f = 0; f < kFrameCount; ++f) {
        char line[16];
        std::snprintf(line, sizeof line, "%02X:%04X\n", f, registers_.GetFrame(f) & 0x1FFF);
        text += line;
    }
    return text;
}

bool CRegisterView::LoadEep(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFrameCount * 9) {
        messages_.Show({"The register file is too short: it needs 8 lines of 9 bytes.", kTitle, MessageIcon::Exclamation});
        return false;
    }
    int values[kFrameCount];
    for (int k = 0; k < kFrameCount; ++k) {
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const int d = HexDigit(static_cast<char>(bytes[static_cast<std::size_t>(9 * k + 3 + i)]));
            if (d < 0) {
                messages_.Show({"Line " + std::to_string(k + 1) + " of the register file holds no hex value.", kTitle,
                                MessageIcon::Exclamation});
                return false;
            }
            value = value * 16 + d;
        }
        if (value > 0x1FFF) {
            messages_.Show({"Line " + std::to_string(k + 1) + " of the register file holds more than 13 bits.", kTitle,
                            MessageIcon::Exclamation});
            return false;
        }
        values[k] = value;
    }
    for (int k = 0; k < kFrameCount; ++k) registers_.SetFrame(k, values[k]);
    ShowFromRegisters();
    return true;
}

}  // namespace tessary
