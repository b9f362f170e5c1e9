#include "display/core/CDESDlg.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "display/core/SfrMap.h"
#include "display/core/TextFunctions.h"

namespace kx6500disp {

using namespace sfr;

namespace {

// Keys and data lie in the unit's 2 KiB window of XDATA, addressed in units of 8.
constexpr std::uint32_t kWindowEnd = 0x800;
constexpr std::uint32_t kKeyBytes = 23;  // three keys of 7 bytes, each followed by one not shown
constexpr std::uint32_t kMaxCount = 256;
constexpr std::uint32_t kXdataEnd = 0x10000;
constexpr std::uint32_t kXdataReadThrough = 0x01800000u;
constexpr std::uint32_t kVectorLowReadThrough = 0xF08000B4u, kVectorHighReadThrough = 0xF08000BCu;
constexpr std::uint32_t kBeepHz = 1000, kBeepHighMs = 500, kBeepMs = 100;

const std::array<std::uint8_t, 8> kVectorRegisters{CRPINI0, CRPINI1, CRPINI2, CRPINI3,
                                                   CRPINI4, CRPINI5, CRPINI6, CRPINI7};

const char* const kKeyAddressError = "ERROR: KEY ADDRESS\r\nUse (0x)0000 - (0x)07E9";
const char* const kDataAddressError = "ERROR: DATA ADDRESS\r\nUse (0x)0000 - (0x)07FF\r\nAddress + Count <= 0x0800";

// An address field's text when it is exactly four hex digits.
std::optional<std::uint32_t> Address(const std::string& text) {
    if (text.size() != 4 || !IsHexText(text)) return std::nullopt;
    const auto bytes = HexTextToBytes(text, 2);
    return std::uint32_t{(*bytes)[0]} << 8 | (*bytes)[1];
}

std::string AddressText(std::uint32_t address) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    return BytesToHexText(bytes, 2);
}

std::string Dotted(const std::uint8_t* bytes, std::size_t count) {
    return DotSeparatedHex(BytesToHexText(bytes, count));
}

bool IsVectorText(const std::string& text) { return text.size() == 16 && IsHexText(text); }

// The byte count a Count member stands for, as a commit would store it; 0 counts as
// 256 (the chip's reading of CRPCNT 0).
std::uint32_t ByteCount(std::int32_t member) {
    if (member == 0) return kMaxCount;
    return static_cast<std::uint32_t>(std::clamp<std::int32_t>(member, 1, kMaxCount));
}

// XDATA from `address` with the read-through flag, cut at the end of the space; empty
// when the read fails.
std::vector<std::uint8_t> ReadXdata(SfrTarget& target, std::uint32_t address, std::uint32_t count) {
    std::vector<std::uint8_t> bytes(std::min(count, kXdataEnd - address));
    if (!target.Read(kXdataReadThrough | address, static_cast<std::uint32_t>(bytes.size()), bytes.data())) return {};
    return bytes;
}

}  // namespace

const std::vector<ControlSpec>& CDESDlg::Table() {
    static const std::vector<ControlSpec> table = {
        List("Mode:", CRPCON, 0x02, {"Single DES", "Triple DES"}).Id("Mode 1"),
        List("", CRPCON, 0x04, {"Encrypt", "Decrypt"}).Id("Mode 2").Beside(),
        List("", CRPCON, 0x08, {"OFB", "CFB"}).Id("Mode 3").Beside(),
        Check("Load keys", CRPCON, 0x10),
        Check("Start", CRPCON, 0x01).Beside(),
        Label("", "<- 11-bit addresses"),
        OwnField("Data address:  0x").MaxLength(4),
        NumberField("Count:", CRPCNT, 0xFF, 1, kMaxCount).Beside(),
        OwnField("Key address:  0x").MaxLength(4),
        Button("Load init. vec.:"),
        OwnField("0x").Id("Init. vec.").Beside(),
        OwnList("View:", {"Keys", "Initialization vector", "Plain text / Cipher text"}),
        Button("Refresh").Beside(),
        TextBox("Memory"),
    };
    return table;
}

CDESDlg::CDESDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {
    At("Load init. vec.").screen.enabled = false;  // until the field holds a vector
}

void CDESDlg::Decode(const SfrImage& image) {
    At("Data address").text = AddressText(std::uint32_t{image[CRPDAT]} << 3);
    At("Key address").text = AddressText(std::uint32_t{image[CRPKEY]} << 3);
    At("Count").number = image[CRPCNT] ? image[CRPCNT] : kMaxCount;
}

void CDESDlg::TextChanged(Control& c) {
    if (c.Id() == "Init. vec.") At("Load init. vec.").screen.enabled = IsVectorText(c.screen.text);
}

std::optional<CommitResult> CDESDlg::CommitOwn(Control& c) {
    if (c.Id() == "Count") return CommitCount(c);
    if (c.Id() == "Data address") return CommitAddress(c, false);
    if (c.Id() == "Key address") return CommitAddress(c, true);
    if (c.Id() == "Init. vec.") {
        if (At("Load init. vec.").screen.enabled) LoadVector();
        return CommitResult::Kept;
    }
    return std::nullopt;
}

CommitResult CDESDlg::CommitCount(Control& c) {
    if (c.number >= static_cast<std::int32_t>(kMaxCount)) {
        c.number = kMaxCount;
    } else if (c.number < 0) {
        c.number = 1;
    }
    Sfr().WriteSfrBits(CRPCNT, static_cast<std::uint8_t>(c.number & 0xFF), 0xFF);
    RebuildMemory();
    return CommitResult::Shown;
}

// A data address must leave room for Count bytes in the window, a key address for the
// three keys; the low three bits are the unit's to drop.
CommitResult CDESDlg::CommitAddress(Control& c, bool key) {
    if (c.text.size() == 3) c.text = "0" + c.text;
    const std::optional<std::uint32_t> address = Address(c.text);
    const std::uint32_t room = key ? kKeyBytes : ByteCount(At("Count").number);
    if (!address) {
        Notify().Beep(kBeepHz, kBeepMs);
        c.text = key ? "ERR!" : "ERR";
    } else if (*address + room > kWindowEnd) {
        Notify().Beep(kBeepHz, key ? kBeepMs : kBeepHighMs);
        c.text = "HIGH";
    } else {
        Sfr().WriteSfrBits(key ? CRPKEY : CRPDAT, static_cast<std::uint8_t>((*address >> 3) & 0xFF), 0xFF);
    }
    RebuildMemory();
    return CommitResult::Shown;
}

void CDESDlg::LoadVector() {
    Control& field = At("Init. vec.");
    if (!IsVectorText(field.text)) {
        Notify().Beep(kBeepHz, kBeepMs);
        field.text = "ERR!";
        ToScreen();
        return;
    }
    const auto bytes = HexTextToBytes(field.text, kVectorRegisters.size());
    for (std::size_t i = 0; i < kVectorRegisters.size(); ++i) Sfr().WriteSfrBits(kVectorRegisters[i], (*bytes)[i], 0xFF);
}

bool CDESDlg::SelectOwn(Control& c) {
    if (c.Id() != "View") return false;
    RebuildMemory();
    return true;
}

void CDESDlg::PressOwn(Control& c) {
    if (c.Id() == "Refresh") {
        Sfr().RefreshFromTarget();
        if (ToMembers()) RebuildMemory();
    } else if (c.Id() == "Load init. vec.") {
        if (ToMembers()) LoadVector();
    }
}

void CDESDlg::RebuildMemory() {
    At("Memory").text = MemoryText();
    ToScreen();
}

std::string CDESDlg::MemoryText() {
    switch (At("View").number) {
    case kKeys: return KeysText();
    case kVector: return VectorText();
    case kData: return DataText();
    default: return {};
    }
}

std::string CDESDlg::KeysText() {
    const std::optional<std::uint32_t> address = Address(At("Key address").text);
    if (!address) return kKeyAddressError;
    const std::vector<std::uint8_t> bytes = ReadXdata(Sfr().Target(), *address, kKeyBytes);
    if (bytes.empty()) return {};
    std::string text;
    for (std::size_t key = 0; key < 3; ++key) {
        const std::size_t first = std::min(bytes.size(), key * 8), end = std::min(bytes.size(), key * 8 + 7);
        text += (key ? "\r\nKey " : "Key ") + std::to_string(key + 1) + ": " + Dotted(bytes.data() + first, end - first);
    }
    return text;
}

std::string CDESDlg::VectorText() {
    std::uint8_t bytes[8];
    SfrTarget& target = Sfr().Target();
    if (!target.Read(kVectorLowReadThrough, 4, bytes) || !target.Read(kVectorHighReadThrough, 4, bytes + 4)) return {};
    return "CRPINI[0:7]: " + Dotted(bytes, 8);
}

std::string CDESDlg::DataText() {
    const std::optional<std::uint32_t> address = Address(At("Data address").text);
    if (!address) return kDataAddressError;
    const std::vector<std::uint8_t> bytes = ReadXdata(Sfr().Target(), *address, ByteCount(At("Count").number));
    std::string text;
    for (std::size_t offset = 0; offset < bytes.size(); offset += 8) {
        const std::size_t n = std::min<std::size_t>(8, bytes.size() - offset);
        text += "0x" + AddressText(*address + static_cast<std::uint32_t>(offset)) + ": " +
                Dotted(bytes.data() + offset, n) + "\r\n";
    }
    return text;
}

}  // namespace kx6500disp
