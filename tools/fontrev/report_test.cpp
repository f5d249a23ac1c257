#include "tools/fontrev/report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

TEST(DescribeRevision, SignedHexAndTheVersionAPersonReads) {
    EXPECT_EQ(fontrev::DescribeRevision(0x00020979), "133497 0x00020979 2.037");
    EXPECT_EQ(fontrev::DescribeRevision(0x00018000), "98304 0x00018000 1.500");
    EXPECT_EQ(fontrev::DescribeRevision(0), "0 0x00000000 0.000");
    EXPECT_EQ(fontrev::DescribeRevision(static_cast<int32_t>(0x80000000u)), "-2147483648 0x80000000 -32768.000");
}

TEST(WhyNoRevision, NamesTheReason) {
    const std::string dir = testing::TempDir();
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir + name, std::ios::binary) << bytes;
        return dir + name;
    };
    const std::string offsetTable("\0\1\0\0\0\1\0\0\0\0\0\0", 12);
    const std::string headRecord = std::string("head") + std::string("\0\0\0\0\0\0\1\0\0\0\0\0", 12);
    const std::string cmapRecord = std::string("cmap") + std::string(12, '\0');
    EXPECT_NE(fontrev::WhyNoRevision((dir + "missing.ttf").c_str()).find("cannot open"), std::string::npos);
    EXPECT_EQ(fontrev::WhyNoRevision(write("short", "abc").c_str()), "shorter than its 12-byte offset table");
    EXPECT_EQ(fontrev::WhyNoRevision(write("nohead", offsetTable + cmapRecord).c_str()),
              "no \"head\" record among its 1");
    EXPECT_EQ(fontrev::WhyNoRevision(write("past", offsetTable + headRecord).c_str()),
              "the \"head\" table at offset 256 lies past the end");
    EXPECT_EQ(fontrev::WhyNoRevision(write("cut", offsetTable + "head").c_str()), "ends inside table record 1 of 1");
    EXPECT_EQ(fontrev::WhyNoRevision(write("zero", offsetTable + headRecord + std::string(300, '\0')).c_str()), "");
}

}  // namespace
