#include "sim/VirtualPort.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace sim;

TEST(ParsePortList, Forms) {
    EXPECT_EQ(ParsePortList("0x378"), (PortTable{0x378, 0, 0}));
    EXPECT_EQ(ParsePortList("0x378,0,0x3BC"), (PortTable{0x378, 0, 0x3BC}));
    EXPECT_EQ(ParsePortList("888, 632"), (PortTable{888, 632, 0}));
    EXPECT_EQ(ParsePortList(""), (PortTable{0, 0, 0}));
    EXPECT_EQ(ParsePortList("0X278"), (PortTable{0x278, 0, 0}));
    EXPECT_FALSE(ParsePortList("0x378,0x278,0x3BC,0x2BC"));  // four entries
    EXPECT_FALSE(ParsePortList("lpt1"));
    EXPECT_FALSE(ParsePortList("0x378,"));
    EXPECT_FALSE(ParsePortList("0x10000"));
    EXPECT_FALSE(ParsePortList("0x"));
    EXPECT_FALSE(ParsePortList("-1"));
}

TEST(VirtualPort, RegistersInRegisterValues) {
    VirtualPort port({0x378, 0x278, 0});
    EXPECT_EQ(port.Read(0x379), 0xFF);  // no board
    port.Write(0x378, 0xA5);
    port.Write(0x37A, 0x0C);
    port.Write(0x379, 0x00);  // input only
    EXPECT_EQ(port.Read(0x378), 0xA5);
    EXPECT_EQ(port.Read(0x37A), 0x0C);
    EXPECT_EQ(port.Read(0x379), 0xFF);
    EXPECT_EQ(port.Read(0x278), 0x00);  // the second port has registers of its own
    port.Write(0x300, 0x12);           // outside the table: no effect
    EXPECT_EQ(port.Read(0x300), 0xFF);
    EXPECT_EQ(port.Read(0x37B), 0xFF);
}

TEST(VirtualPort, BoardSitsOnTheFirstPortAndSeesTheLines) {
    VirtualPort port({0, 0x278, 0x378});
    port.Write(0x278, 0x03);
    port.Attach(std::make_unique<LoopbackPlug>());
    EXPECT_EQ(port.Read(0x279), (0x03 << 3) | 0x07);  // it saw the lines already set
    port.Write(0x278, 0x1F);
    EXPECT_EQ(port.Read(0x279), 0xFF);
    port.Write(0x278, 0x10);
    EXPECT_EQ(port.Read(0x279), 0x87);
    EXPECT_EQ(port.Read(0x379), 0xFF);  // the other port has no board
    port.Attach(nullptr);
    EXPECT_EQ(port.Read(0x279), 0xFF);
}

TEST(VirtualPort, TraceLines) {
    const auto path = std::filesystem::temp_directory_path() / "tessary_vport_trace.txt";
    std::uint64_t now = 1000000;  // nanoseconds
    {
        VirtualPort port({0x378, 0, 0}, path.string(), [&] { return now; });
        now = 1005000;
        port.Write(0x378, 0x0A);
        now = 1012034;
        port.Read(0x379);
        port.Write(0x500, 0x1);
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "5.000 W 378 0A\n12.034 R 379 FF\n12.034 W 500 01\n");
    std::filesystem::remove(path);
}

TEST(BoardRegistry, KnownNames) {
    EXPECT_TRUE(MakeBoard("loopback"));
    EXPECT_FALSE(MakeBoard("kx9999"));
}
