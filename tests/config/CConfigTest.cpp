#include "studio/config/CConfig.h"

#include <gtest/gtest.h>

#include <cstring>

#include "studio/config/ConfigFile.h"
#include "studio/config/DeviceKind.h"
#include "studio/config/TessaryDocument.h"

using namespace tessary;

TEST(DeviceKind, NamesNumbersAndLookup) {
    EXPECT_EQ(DeviceName(DeviceKind::KX6300), "KX6300");
    EXPECT_EQ(DeviceNumber(DeviceKind::KX400), 4);
    EXPECT_EQ(DeviceNumber(DeviceKind::KX900), 9);
    EXPECT_EQ(DeviceNumber(DeviceKind::KX6500), -1);
    EXPECT_EQ(DeviceFromName("kx6500"), DeviceKind::KX6500);
    EXPECT_EQ(DeviceFromName("Kx900"), DeviceKind::KX900);
    EXPECT_FALSE(DeviceFromName("KX62"));
    EXPECT_FALSE(DeviceFromName(""));
    EXPECT_EQ(DeviceFromListIndex(2), DeviceKind::KX6200);
    EXPECT_FALSE(DeviceFromListIndex(5));
    EXPECT_FALSE(DeviceFromListIndex(-1));
}

TEST(CConfig, FreshRecordIsFullyReset) {
    CConfig c;
    EXPECT_EQ(c.kx400.deviceNumber, -1);
    EXPECT_EQ(c.kx400.xtal, 12000000);
    EXPECT_EQ(c.kx400.ppm, 0.00001);
    EXPECT_EQ(c.kx400.rf, 869000000);
    EXPECT_EQ(c.kx400.ifStage, 1);
    EXPECT_EQ(c.kx400.paClass, 3);
    EXPECT_EQ(c.kx400.power, 0);
    const KX6200Block& b = c.kx6200;
    EXPECT_EQ(b.xtal, 14.7456);
    EXPECT_EQ(b.ppm, 20);
    EXPECT_EQ(b.rfA, 868.2972);
    EXPECT_EQ(b.rfB, 868.2972);
    EXPECT_EQ(b.sep, 64);
    EXPECT_EQ(b.rate, 2.4);
    EXPECT_EQ(b.format, 1);
    EXPECT_EQ(b.dirA, 0);
    EXPECT_EQ(b.dirB, 1);
    EXPECT_EQ(b.settling, 1);
    EXPECT_EQ(b.optimal + b.lowLo + b.lowCurrent, 3);
    EXPECT_EQ(b.mode + b.lock + b.ifRssi + b.active + b.xosc + b.shape + b.rxMode, 0);
    EXPECT_EQ(c.kx6300.rfA, 868.3);
    EXPECT_EQ(c.kx6300.rfB, 868.3);
    EXPECT_EQ(c.kx6300.format, 1);
    EXPECT_EQ(c.kx6300.mode, 0);
}

TEST(CConfig, KX400AndKX900ResetOnlyTheirBlock) {
    CConfig c;
    c.kx6200.rfA = 433.92;
    c.kx6300.sep = 20;
    c.lockText = "One-shot";
    c.kx400.deviceNumber = 4;
    c.kx400.mode = 3;
    c.Reset();
    EXPECT_EQ(c.kx400.deviceNumber, 4);
    EXPECT_EQ(c.kx400.ppm, 0.00005);
    EXPECT_EQ(c.kx400.rf, 433920000);
    EXPECT_EQ(c.kx400.paClass, 2);
    EXPECT_EQ(c.kx400.power, 10);
    EXPECT_EQ(c.kx400.mode, 0);
    EXPECT_EQ(c.kx6200.rfA, 433.92);
    EXPECT_EQ(c.kx6300.sep, 20);
    EXPECT_EQ(c.lockText, "One-shot");  // texts are never reset

    c.kx400.deviceNumber = 9;
    c.Reset();
    EXPECT_EQ(c.kx400.deviceNumber, 9);
    EXPECT_EQ(c.kx400.rf, 869000000);
    EXPECT_EQ(c.kx400.paClass, 3);
    EXPECT_EQ(c.kx6200.rfA, 433.92);

    // Any other number is a full reset that also ends the KX400/KX900 selection.
    c.kx400.deviceNumber = 5;
    c.Reset();
    EXPECT_EQ(c.kx400.deviceNumber, -1);
    EXPECT_EQ(c.kx6200.rfA, 868.2972);
    EXPECT_EQ(c.kx6300.sep, 64);
}

namespace {
template <typename T>
T At(const std::array<std::uint8_t, kConfigFileSize>& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}
}  // namespace

TEST(ConfigFile, EveryFieldAtItsOffset) {
    CConfig c;
    // Distinct values everywhere, so that a swapped field shows.
    c.kx400 = {71, 1.5, 2.5, 3.5, 24, 4.5, 5.5, 44, 6.5, 56, 60, 64, 7.5};
    c.kx6200 = {8.5, 9.5, 10.5, 11.5, 12.5, 13.5, 128, 14.5, 140, 144, 148, 152, 156,
                160, 164, 168, 172, 176, 180, 184, 188};
    c.kx6300 = {15.5, 16.5, 17.5, 18.5, 19.5, 232, 20.5, 244, 248, 252, 256, 260};
    const auto bytes = SerializeConfig(c);
    EXPECT_EQ(At<double>(bytes, 0), 1.5);
    EXPECT_EQ(At<double>(bytes, 8), 2.5);
    EXPECT_EQ(At<double>(bytes, 16), 3.5);
    EXPECT_EQ(At<std::int32_t>(bytes, 24), 24);
    EXPECT_EQ(At<double>(bytes, 28), 4.5);
    EXPECT_EQ(At<double>(bytes, 36), 5.5);
    EXPECT_EQ(At<std::int32_t>(bytes, 44), 44);
    EXPECT_EQ(At<double>(bytes, 48), 6.5);
    EXPECT_EQ(At<std::int32_t>(bytes, 56), 56);
    EXPECT_EQ(At<std::int32_t>(bytes, 60), 60);
    EXPECT_EQ(At<std::int32_t>(bytes, 64), 64);
    EXPECT_EQ(At<std::int32_t>(bytes, 68), 71);  // VCO current after the LOCK indicator
    EXPECT_EQ(At<double>(bytes, 72), 7.5);
    EXPECT_EQ(At<double>(bytes, 80), 8.5);
    EXPECT_EQ(At<double>(bytes, 120), 13.5);
    EXPECT_EQ(At<std::int32_t>(bytes, 128), 128);
    EXPECT_EQ(At<double>(bytes, 132), 14.5);
    for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(At<std::int32_t>(bytes, 140 + 4 * i), static_cast<int>(140 + 4 * i));
    EXPECT_EQ(At<double>(bytes, 192), 15.5);
    EXPECT_EQ(At<double>(bytes, 224), 19.5);
    EXPECT_EQ(At<std::int32_t>(bytes, 232), 232);
    EXPECT_EQ(At<double>(bytes, 236), 20.5);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(At<std::int32_t>(bytes, 244 + 4 * i), static_cast<int>(244 + 4 * i));

    CConfig back;
    std::string error;
    ASSERT_TRUE(DeserializeConfig(bytes, back, error)) << error;
    EXPECT_EQ(SerializeConfig(back), bytes);
    EXPECT_EQ(back.kx400.vcoCurrent, 71);
}

TEST(ConfigFile, ShortFileIsRefusedLongFileLoadsItsFirst264Bytes) {
    CConfig source;
    source.kx6200.rfA = 433.92;
    source.kx400.deviceNumber = 4;
    const auto bytes = SerializeConfig(source);

    TessaryDocument doc;
    doc.config.kx6200.rfA = 999;
    std::string error;
    EXPECT_FALSE(doc.Load(std::span(bytes.data(), 263), error));
    EXPECT_NE(error.find("263"), std::string::npos) << error;
    EXPECT_EQ(doc.config.kx6200.rfA, 868.2972);  // left reset, nothing half-loaded

    std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
    longer.resize(400, 0xAB);
    ASSERT_TRUE(doc.Load(longer, error)) << error;
    EXPECT_EQ(doc.config.kx6200.rfA, 433.92);
    EXPECT_EQ(doc.config.kx400.deviceNumber, 4);  // a KX400 file brings its device number
    const std::string saved = doc.SaveBytes();
    EXPECT_EQ(saved, std::string(bytes.begin(), bytes.end()));
}
