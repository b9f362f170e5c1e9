// The host's command table: words, quotes, the rest of a line, longest names.
#include <gtest/gtest.h>

#include <sstream>

#include "host/core/CommandTable.h"
#include "host/core/HostImage.h"
#include "host/kx6500_host.h"

using namespace kxdebug;

TEST(CommandLine, WordsQuotesAndTheRestAsTyped) {
    std::string error;
    const auto line = CommandLine::Parse("view set radio \"-> Freq. A\"  433.92 MHz \r\n", error);
    ASSERT_TRUE(line);
    ASSERT_EQ(line->size(), 6u);
    EXPECT_EQ((*line)[3], "-> Freq. A");
    EXPECT_EQ(line->RestFrom(4), " 433.92 MHz ");  // after one blank, exactly
    EXPECT_EQ(line->RestFrom(6), "");
    EXPECT_EQ(line->RestFrom(0), "view set radio \"-> Freq. A\"  433.92 MHz ");
    EXPECT_FALSE(CommandLine::Parse("echo \"open", error));
    EXPECT_EQ(error, "unbalanced quote");
}

TEST(CommandTable, LongestNameWinsAndArgumentsFollowIt) {
    CommandTable table;
    std::vector<std::string> seen;
    auto record = [&](std::string name) {
        return [&seen, name](const CommandArgs& args, std::ostream& out, std::string&) {
            seen.push_back(name + ":" + (args.empty() ? "" : args[0]));
            out << name << "\n";
            return true;
        };
    };
    table.Add({"mem", "", "", record("mem")});
    table.Add({"mem read", "S:ADDR LEN", "", record("mem read")});
    table.Add({"mem write", "S:ADDR BYTE...", "", record("mem write")});
    std::ostringstream out;
    EXPECT_EQ(table.Run("mem read x:0010 4", out), CommandOutcome::Done);
    EXPECT_EQ(table.Run("mem write x:0010 AA", out), CommandOutcome::Done);
    EXPECT_EQ(table.Run("mem readers", out), CommandOutcome::Done);
    EXPECT_EQ(seen, (std::vector<std::string>{"mem read:x:0010", "mem write:x:0010", "mem:readers"}));
}

TEST(CommandTable, CommentsBlanksFailuresAndQuit) {
    CommandTable table;
    table.Add({"fail", "", "", [](const CommandArgs&, std::ostream&, std::string& error) {
                   error = "it did not work";
                   return false;
               }});
    std::ostringstream out;
    EXPECT_EQ(table.Run("   # a comment", out), CommandOutcome::Empty);
    EXPECT_EQ(table.Run("", out), CommandOutcome::Empty);
    EXPECT_EQ(table.Run("fail", out), CommandOutcome::Failed);
    EXPECT_EQ(table.Run("nosuch 1 2", out), CommandOutcome::Failed);
    EXPECT_EQ(table.Run("quit", out), CommandOutcome::Quit);
    EXPECT_EQ(out.str(), "error: it did not work\nerror: unknown command 'nosuch' (help lists the commands)\n");
    out.str("");
    EXPECT_EQ(table.Run("help", out), CommandOutcome::Done);
    EXPECT_NE(out.str().find("fail"), std::string::npos);
    EXPECT_NE(out.str().find("quit"), std::string::npos);
}

TEST(CommandTable, Numbers) {
    EXPECT_EQ(ParseHex("7f"), 0x7Fu);
    EXPECT_EQ(ParseHex("0x7F"), 0x7Fu);
    EXPECT_FALSE(ParseHex("0x"));
    EXPECT_FALSE(ParseHex("7g"));
    EXPECT_EQ(ParseDecimal("128"), 128u);
    EXPECT_EQ(ParseDecimal("0x80"), 128u);
    EXPECT_FALSE(ParseDecimal("12a"));
    EXPECT_FALSE(ParseDecimal(""));
}

TEST(HostImage, SpacesShareTheirAliasesAndRangesEnd) {
    HostImage image;
    *image.Byte(HOST_ADDRESS(HOST_SPACE_XDATA, 0x1234)) = 0x5A;
    EXPECT_EQ(*image.Byte(HOST_ADDRESS(HOST_SPACE_XDATA_ALT, 0x1234)), 0x5A);
    *image.Attribute(HOST_ADDRESS(0x00, 0x7FFF)) = HOST_ATTR_CACHED;
    EXPECT_EQ(*image.Attribute(HOST_ADDRESS(HOST_SPACE_CODE, 0x7FFF)), HOST_ATTR_CACHED);
    EXPECT_NE(image.Byte(HOST_ADDRESS(HOST_SPACE_DATA, 0xFF)), nullptr);
    EXPECT_EQ(image.Byte(HOST_ADDRESS(HOST_SPACE_DATA, 0x100)), nullptr);
    EXPECT_EQ(image.Byte(HOST_ADDRESS(HOST_SPACE_IDATA, 0x100)), nullptr);
    EXPECT_EQ(image.Attribute(HOST_ADDRESS(0x42, 0)), nullptr);
    // The read-through flag is no part of the space.
    EXPECT_EQ(image.Byte(HOST_ADDRESS(HOST_SPACE_DATA, 0x80) | HOST_READ_THROUGH),
              image.Byte(HOST_ADDRESS(HOST_SPACE_DATA, 0x80)));
}
