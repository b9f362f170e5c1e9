// The 8051 image, its spans and page flags, and the Intel HEX reader and writer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "lptlink/core/HexFile.h"

using namespace lptlink;

namespace {

struct Image {
    Image() : mem(static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)))) { Mem8051Init(mem, 7); }
    ~Image() {
        Mem8051Destroy(mem);
        std::free(mem);
    }
    std::vector<std::pair<unsigned, unsigned>> Spans() const {
        std::vector<std::pair<unsigned, unsigned>> v;
        for (const Mem8051Span* s = mem->spans.next; s; s = s->next) v.emplace_back(s->first, s->last);
        return v;
    }
    Mem8051* mem;
};

using Spans = std::vector<std::pair<unsigned, unsigned>>;

}  // namespace

TEST(Mem8051, SpansMergeSplitAndStayOrdered) {
    Image m;
    EXPECT_EQ(m.mem->image[0], 0xFF);
    Mem8051AddSpan(m.mem, 0x0000, 0x10);
    Mem8051AddSpan(m.mem, 0x0010, 0x10);
    EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x1F}}));
    Mem8051AddSpan(m.mem, 0x0040, 0x10);
    Mem8051AddSpan(m.mem, 0x0030, 0x04);
    EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x1F}, {0x30, 0x33}, {0x40, 0x4F}}));
    Mem8051AddSpan(m.mem, 0x0020, 0x20);  // fills both gaps
    EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x4F}}));
    Mem8051AddSpan(m.mem, 0x0008, 0x04);  // inside: nothing changes
    EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x4F}}));
    Mem8051DeleteSpan(m.mem, 0x0010, 0x10);
    EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x0F}, {0x20, 0x4F}}));
    Mem8051DeleteSpan(m.mem, 0x0008, 0x20);  // cuts one end of each
    EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x07}, {0x28, 0x4F}}));
    Mem8051AddSpan(m.mem, 0x10005, 2);  // addresses are taken to 16 bits
    EXPECT_EQ(m.Spans().front(), (std::pair<unsigned, unsigned>{0x00, 0x07}));
    Mem8051AddSpan(m.mem, 0x100, 0);  // nothing
    Mem8051AddSpan(m.mem, 0x100, -5);
    EXPECT_EQ(m.Spans().size(), 2u);
    Mem8051DeleteSpan(m.mem, 0, 0x20000);
    EXPECT_TRUE(m.Spans().empty());
}

TEST(Mem8051, WritesMarkPagesEvenForErasedBytes) {
    Image m;
    const std::vector<unsigned char> ff(0x81, 0xFF);
    lptlinkWriteTo8051Mem(m.mem, ff.data(), 0x7F, static_cast<int>(ff.size()));
    EXPECT_EQ(m.mem->usedPageCount, 2);  // pages 0 and 1
    EXPECT_TRUE(m.mem->pageFlags[0] && m.mem->pageFlags[1]);
    lptlinkWriteTo8051Mem(m.mem, ff.data(), 0x80, 4);
    EXPECT_EQ(m.mem->usedPageCount, 2);
    // Past 0xFFFF the bytes land in the image, but no flag outside the table is touched.
    const std::vector<unsigned char> data(0x40, 0x5A);
    lptlinkWriteTo8051Mem(m.mem, data.data(), 0xFFE0, 0x40);
    EXPECT_EQ(m.mem->image[0x1001F], 0x5A);
    EXPECT_EQ(m.mem->usedPageCount, 3);
    unsigned char out[4] = {};
    lptlinkReadFrom8051Mem(m.mem, out, 0xFFFE, 4);
    EXPECT_EQ(out[3], 0x5A);
}

TEST(Mem8051DeathTest, NullArgumentsAreProgrammingErrors) {
    unsigned char b[1] = {0};
    EXPECT_DEATH(Mem8051AddSpan(nullptr, 0, 1), "null mem");
    EXPECT_DEATH(lptlinkWriteTo8051Mem(nullptr, b, 0, 1), "null mem");
    Image m;
    EXPECT_DEATH(lptlinkReadFrom8051Mem(m.mem, nullptr, 0, 1), "null buffer");
    EXPECT_EQ(Mem8051Destroy(nullptr), nullptr);
}

TEST(HexFile, ReaderRules) {
    {
        Image m;
        EXPECT_TRUE(ParseHex(":00000001FF\n", *m.mem));
        EXPECT_TRUE(m.Spans().empty());
        EXPECT_EQ(m.mem->usedPageCount, 0);
    }
    {
        Image m;
        EXPECT_FALSE(ParseHex("", *m.mem));
        EXPECT_FALSE(ParseHex(":0100000012ED\n", *m.mem));  // no end record
    }
    {
        Image m;
        const std::string text = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                                 ":10001000101112131415161718191A1B1C1D1E1F68\n"
                                 ":00000001FF\n";
        ASSERT_TRUE(ParseHex(text, *m.mem));
        EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x1F}}));
        EXPECT_EQ(m.mem->usedPageCount, 1);
        EXPECT_EQ(m.mem->image[0x1F], 0x1F);
    }
    {
        Image m;  // a type-04 record is data at its 16-bit address
        ASSERT_TRUE(ParseHex(":020000040001F9\n:00000001FF\n", *m.mem));
        EXPECT_EQ(m.mem->image[0], 0x00);
        EXPECT_EQ(m.mem->image[1], 0x01);
        EXPECT_EQ(m.Spans(), (Spans{{0x00, 0x01}}));
    }
    {
        Image m;  // bad checksum, lower-case digits and blanks before fields
        EXPECT_FALSE(ParseHex(":0100000012EE\n:00000001FF\n", *m.mem));
        Image n;
        EXPECT_TRUE(ParseHex(": 01 0000 00 ab 54\n:00000001FF", *n.mem));
        EXPECT_EQ(n.mem->image[0], 0xAB);
    }
}

TEST(HexFile, WriterRecordsAndRoundTrip) {
    Image m;
    std::vector<unsigned char> data(40);
    for (int i = 0; i < 40; ++i) data[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i * 7);
    lptlinkWriteTo8051Mem(m.mem, data.data(), 0x0100, 40);
    const unsigned char one = 0x42;
    lptlinkWriteTo8051Mem(m.mem, &one, 0x0200, 1);  // one-byte spans are written
    const std::string text = FormatHex(*m.mem);
    EXPECT_EQ(text.substr(0, 9), ":10010000");
    EXPECT_NE(text.find("\n:10011000"), std::string::npos);
    EXPECT_NE(text.find("\n:08012000"), std::string::npos);
    EXPECT_NE(text.find("\n:0102000042BB\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 12), ":00000001FF\n");
    Image back;
    ASSERT_TRUE(ParseHex(text, *back.mem));
    EXPECT_EQ(back.Spans(), m.Spans());
    EXPECT_EQ(0, std::memcmp(back.mem->image, m.mem->image, 0x10000));
    EXPECT_EQ(back.mem->usedPageCount, m.mem->usedPageCount);
}
