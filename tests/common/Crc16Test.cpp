#include "common/Crc16.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

using tessary::Crc16;

namespace {
std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }
}  // namespace

TEST(Crc16, CheckValueAndEmptyInput) {
    EXPECT_EQ(Crc16(Bytes("123456789")), 0x29B1);
    EXPECT_EQ(Crc16({}), 0xFFFF);
}

TEST(Crc16, MatchesBitwiseReferenceOnEveryByteValue) {
    // A plain shift register, independent of the table.
    auto reference = [](const std::vector<std::uint8_t>& data) {
        unsigned crc = 0xFFFF;
        for (std::uint8_t b : data) {
            for (int bit = 7; bit >= 0; --bit) {
                const bool top = ((crc >> 15) & 1) != (((b >> bit) & 1) != 0);
                crc = (crc << 1) & 0xFFFF;
                if (top) crc ^= 0x1021;
            }
        }
        return static_cast<std::uint16_t>(crc);
    };
    std::vector<std::uint8_t> data;
    for (int v = 0; v < 256; ++v) {
        data.push_back(static_cast<std::uint8_t>(v));
        ASSERT_EQ(Crc16(data), reference(data)) << "length " << data.size();
    }
}

TEST(Crc16, BlockFollowedByItsCrcChecksToZeroAndContinues) {
    std::vector<std::uint8_t> frame{0x18, 0x00};
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    EXPECT_EQ(Crc16(frame), 0);
    // Continuing from a partial result gives the same as one run over the whole.
    const auto whole = Bytes("123456789");
    const std::uint16_t first = Crc16(std::span(whole).first(4));
    EXPECT_EQ(Crc16(std::span(whole).subspan(4), first), 0x29B1);
    // One flipped bit is always caught.
    frame[1] ^= 0x10;
    EXPECT_NE(Crc16(frame), 0);
}
