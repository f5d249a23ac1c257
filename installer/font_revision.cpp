#include "installer/font_revision.h"

#include <cstring>

#include "installer/scoped_file.h"

namespace {

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kTableRecordSize = 16;
constexpr size_t kHeadPrefixSize = 8;  // version, then fontRevision

uint32_t BigEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

uint16_t BigEndian16(const unsigned char* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

// A short read means the file ended: nothing assembled from unread bytes is ever returned.
bool ReadExactly(std::FILE* font, unsigned char* into, size_t size) {
    return std::fread(into, 1, size, font) == size;
}

}  // namespace

int32_t ReadFontRevisionFrom(std::FILE* font) {
    unsigned char offsetTable[kOffsetTableSize];
    if (!ReadExactly(font, offsetTable, sizeof offsetTable)) return 0;
    const uint16_t numTables = BigEndian16(offsetTable + 4);

    for (uint32_t index = 0; index < numTables; ++index) {
        unsigned char record[kTableRecordSize];
        if (!ReadExactly(font, record, sizeof record)) return 0;
        if (std::memcmp(record, "head", 4) != 0) continue;

        const uint32_t offset = BigEndian32(record + 8);
        // fseek takes a long, which is 32 bits on Windows: seek in two steps so offsets from 2 GiB up still
        // land where the record says instead of wrapping to a negative position.
        constexpr uint32_t kLongMax32 = 0x7FFFFFFFu;
        const long first = static_cast<long>(offset > kLongMax32 ? kLongMax32 : offset);
        const long remaining = static_cast<long>(offset > kLongMax32 ? offset - kLongMax32 : 0);
        if (std::fseek(font, first, SEEK_SET) != 0) return 0;
        if (remaining && std::fseek(font, remaining, SEEK_CUR) != 0) return 0;

        unsigned char head[kHeadPrefixSize];
        if (!ReadExactly(font, head, sizeof head)) return 0;
        return static_cast<int32_t>(BigEndian32(head + 4));
    }
    return 0;
}

int32_t ReadFontRevision(const char* fontPath) {
    if (!fontPath) return 0;
    installer::ScopedFile font{std::fopen(fontPath, "rb")};
    if (!font.file) return 0;
    return ReadFontRevisionFrom(font.file);
}
