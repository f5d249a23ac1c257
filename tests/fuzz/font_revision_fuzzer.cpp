// Any bytes as a font file: the reader must neither crash nor read outside what the file holds, and it must give
// exactly what a straightforward reading of the same bytes as a buffer gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "installer/font_revision.h"

namespace {

uint32_t At32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
}

// The same layout read from memory: the first "head" record among numTables, 8 bytes at its offset, else 0.
int32_t ExpectedRevision(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    const size_t numTables = static_cast<size_t>(data[4] << 8 | data[5]);
    for (size_t index = 0; index < numTables; ++index) {
        const size_t record = 12 + 16 * index;
        if (record + 16 > size) return 0;
        if (std::memcmp(data + record, "head", 4) != 0) continue;
        const uint64_t offset = At32(data + record + 8);
        if (offset + 8 > size) return 0;
        return static_cast<int32_t>(At32(data + offset + 4));
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    std::FILE* font = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!font) return 0;
    const int32_t revision = ReadFontRevisionFrom(font);
    std::fclose(font);
    if (revision != ExpectedRevision(data, size)) __builtin_trap();
    return 0;
}
