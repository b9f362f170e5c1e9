#include "studio/config/ConfigFile.h"

#include <bit>
#include <variant>
#include <vector>

namespace tessary {

namespace {

using FieldRef = std::variant<double*, int*>;

// File order. The VCO current is declared first in the record but stored after the
// LOCK indicator; older files depend on that place.
std::vector<FieldRef> FileOrder(CConfig& c) {
    auto& a = c.kx400;
    auto& b = c.kx6200;
    auto& s = c.kx6300;
    return {
        &a.xtal, &a.ppm, &a.rf, &a.ifStage, &a.sep, &a.rate, &a.paClass, &a.power,
        &a.mode, &a.rxMode, &a.lock, &a.vcoCurrent, &a.deviceNumber,
        &b.xtal, &b.ppm, &b.rfA, &b.rfB, &b.sep, &b.rate, &b.format, &b.power,
        &b.rxMode, &b.shape, &b.lock, &b.ifRssi, &b.mode, &b.xosc, &b.active,
        &b.dirA, &b.dirB, &b.settling, &b.optimal, &b.lowLo, &b.lowCurrent,
        &s.xtal, &s.rfA, &s.rfB, &s.sep, &s.rate, &s.format, &s.power,
        &s.shape, &s.lock, &s.mode, &s.xosc, &s.active,
    };
}

template <typename T>
void PutLE(std::uint8_t* out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <typename T>
T GetLE(const std::uint8_t* in) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(in[i]) << (8 * i));
    return value;
}

}  // namespace

std::array<std::uint8_t, kConfigFileSize> SerializeConfig(const CConfig& config) {
    std::array<std::uint8_t, kConfigFileSize> out{};
    CConfig copy = config;
    std::size_t at = 0;
    for (const FieldRef& ref : FileOrder(copy)) {
        if (auto d = std::get_if<double*>(&ref)) {
            PutLE(out.data() + at, std::bit_cast<std::uint64_t>(**d));
            at += 8;
        } else {
            PutLE(out.data() + at, static_cast<std::uint32_t>(*std::get<int*>(ref)));
            at += 4;
        }
    }
    return out;
}

bool DeserializeConfig(std::span<const std::uint8_t> bytes, CConfig& config, std::string& error) {
    if (bytes.size() < kConfigFileSize) {
        error = "The file is not a Tessary document: it holds " + std::to_string(bytes.size()) +
                " bytes, a document has " + std::to_string(kConfigFileSize) + ".";
        return false;
    }
    CConfig loaded = config;
    std::size_t at = 0;
    for (const FieldRef& ref : FileOrder(loaded)) {
        if (auto d = std::get_if<double*>(&ref)) {
            **d = std::bit_cast<double>(GetLE<std::uint64_t>(bytes.data() + at));
            at += 8;
        } else {
            *std::get<int*>(ref) = static_cast<int>(GetLE<std::uint32_t>(bytes.data() + at));
            at += 4;
        }
    }
    config = loaded;
    return true;
}

}  // namespace tessary
