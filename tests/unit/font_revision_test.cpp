// The revision reader against crafted files: every way a file can end early, every way a record can fail to
// match, and bytes that text-mode reading would mangle.
#include "installer/font_revision.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<unsigned char>;

void Append32(Bytes& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

Bytes OffsetTable(uint16_t numTables, uint32_t sfntVersion = 0x00010000) {
    Bytes bytes;
    Append32(bytes, sfntVersion);
    bytes.push_back(static_cast<unsigned char>(numTables >> 8));
    bytes.push_back(static_cast<unsigned char>(numTables));
    bytes.insert(bytes.end(), 6, 0x20);  // search fields play no part
    return bytes;
}

void Record(Bytes& bytes, const char* tag, uint32_t offset) {
    bytes.insert(bytes.end(), tag, tag + 4);
    Append32(bytes, 0x0A0D0920);  // checkSum, ignored
    Append32(bytes, offset);
    Append32(bytes, 0x36);        // length, ignored
}

void HeadTable(Bytes& bytes, uint32_t revision) {
    Append32(bytes, 0x00010000);
    Append32(bytes, revision);
}

// A font with the given tags in order; each "head"-like table gets its own revision (0x00010000 + index).
Bytes Font(std::vector<const char*> tags) {
    Bytes bytes = OffsetTable(static_cast<uint16_t>(tags.size()));
    const uint32_t tablesStart = 12 + 16 * static_cast<uint32_t>(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        Record(bytes, tags[i], tablesStart + 8 * static_cast<uint32_t>(i));
    }
    for (size_t i = 0; i < tags.size(); ++i) HeadTable(bytes, 0x00010000 + static_cast<uint32_t>(i));
    return bytes;
}

Bytes Truncated(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

class FontRevisionFile : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/fontrev-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Write(const Bytes& bytes, const std::string& name = "font.ttf") {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string dir_;
};

struct Case {
    const char* name;
    Bytes bytes;
    int32_t expected;
};

TEST_F(FontRevisionFile, CraftedFiles) {
    Bytes headAtEnd = OffsetTable(1);
    Record(headAtEnd, "head", 28);
    HeadTable(headAtEnd, 0x00020979);

    Bytes offsetPastEnd = OffsetTable(1);
    Record(offsetPastEnd, "head", 0x1000);
    HeadTable(offsetPastEnd, 0x00020000);

    Bytes offsetAtEnd = OffsetTable(1);
    Record(offsetAtEnd, "head", 36);
    HeadTable(offsetAtEnd, 0x00020000);

    Bytes offsetNearFourGiB = OffsetTable(1);
    Record(offsetNearFourGiB, "head", 0xFFFFFFF8u);

    Bytes whiteSpaceBytes = OffsetTable(1);
    Record(whiteSpaceBytes, "head", 28);
    Append32(whiteSpaceBytes, 0x0A0D0920);
    Append32(whiteSpaceBytes, 0x090A0D20);

    Bytes zeroTablesButHeadFollows = OffsetTable(0);
    Record(zeroTablesButHeadFollows, "head", 28);
    HeadTable(zeroTablesButHeadFollows, 0x00030000);

    Bytes numTablesTooLarge = Font({"cmap"});
    numTablesTooLarge[5] = 3;  // claims three records; the file ends inside the second
    numTablesTooLarge.resize(12 + 16 + 8);

    Bytes endInsideOffsetField = Font({"cmap", "head"});
    endInsideOffsetField.resize(12 + 16 + 8 + 2);

    Bytes endInsideHeadRevision = Font({"head"});
    endInsideHeadRevision.resize(endInsideHeadRevision.size() - 1);

    Bytes topBitSet = OffsetTable(1);
    Record(topBitSet, "head", 28);
    HeadTable(topBitSet, 0x80000000u);

    const std::vector<Case> cases = {
        {"empty file", {}, 0},
        {"eleven bytes", Truncated(Font({"head"}), 11), 0},
        {"only the offset table", Truncated(Font({"head"}), 12), 0},
        {"numTables 0 with a head record after it", zeroTablesButHeadFollows, 0},
        {"head as the only record", headAtEnd, 0x00020979},
        {"head as the last of four records", Font({"cmap", "glyf", "loca", "head"}), 0x00010003},
        {"two heads: the first wins", Font({"OS/2", "head", "head"}), 0x00010001},
        {"wrong-case tags never match", Font({"HEAD", "Head", "hEAD"}), 0},
        {"a tag with a trailing space", Font({"hea "}), 0},
        {"head offset past the end", offsetPastEnd, 0},
        {"head offset exactly at the end", offsetAtEnd, 0},
        {"head offset near 4 GiB", offsetNearFourGiB, 0},
        {"file ends inside a record", numTablesTooLarge, 0},
        {"file ends inside the offset field", endInsideOffsetField, 0},
        {"file ends inside fontRevision", endInsideHeadRevision, 0},
        {"revision 0x80000000 is negative", topBitSet, static_cast<int32_t>(0x80000000u)},
        {"0x09 0x0A 0x0D 0x20 are data", whiteSpaceBytes, 0x090A0D20},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadFontRevision(Write(c.bytes).c_str()), c.expected) << c.name;
}

TEST_F(FontRevisionFile, MissingFileOrDirectoryGivesZero) {
    EXPECT_EQ(ReadFontRevision((dir_ + "/missing.ttf").c_str()), 0);
    EXPECT_EQ(ReadFontRevision(dir_.c_str()), 0);
    EXPECT_EQ(ReadFontRevision(nullptr), 0);
}

TEST_F(FontRevisionFile, ClosesTheFileOnEveryPath) {
    const std::vector<Bytes> files = {{}, Font({"head"}), Font({"cmap"}), Truncated(Font({"head"}), 20)};
    const auto openDescriptors = [] {
        int count = 0;
        for (int fd = 0; fd < 1024; ++fd) count += (fcntl(fd, F_GETFD) != -1);
        return count;
    };
    std::vector<std::string> paths;
    for (size_t i = 0; i < files.size(); ++i) paths.push_back(Write(files[i], "f" + std::to_string(i)));
    const int before = openDescriptors();
    for (int round = 0; round < 50; ++round)
        for (const auto& path : paths) ReadFontRevision(path.c_str());
    EXPECT_EQ(openDescriptors(), before);
}

TEST(FontRevisionStream, StopsReadingAtTheFirstHeadRecord) {
    Bytes bytes = Font({"head", "cmap"});
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(ReadFontRevisionFrom(stream), 0x00010000);
    // Records after the match were not read: the stream stands just after the head table's 8 bytes.
    EXPECT_EQ(std::ftell(stream), 12 + 2 * 16 + 8);
    std::fclose(stream);
}

}  // namespace
