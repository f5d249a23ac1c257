#include "tools/fontrev/report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fontrev {

std::string DescribeRevision(int32_t revision) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld 0x%08lX %.3f", static_cast<long>(revision),
                  static_cast<unsigned long>(static_cast<uint32_t>(revision)), revision / 65536.0);
    return text;
}

std::string WhyNoRevision(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return std::string("cannot open: ") + std::strerror(errno);
    unsigned char offsetTable[12];
    std::string why;
    if (std::fread(offsetTable, 1, sizeof offsetTable, file) != sizeof offsetTable) {
        why = std::ferror(file) ? "cannot read (not a regular file?)" : "shorter than its 12-byte offset table";
    } else {
        const unsigned numTables = offsetTable[4] << 8 | offsetTable[5];
        why = numTables == 0 ? "numTables is 0" : "no \"head\" record among its " + std::to_string(numTables);
        for (unsigned index = 0; index < numTables; ++index) {
            unsigned char record[16];
            if (std::fread(record, 1, sizeof record, file) != sizeof record) {
                why = "ends inside table record " + std::to_string(index + 1) + " of " + std::to_string(numTables);
                break;
            }
            if (std::memcmp(record, "head", 4) != 0) continue;
            const unsigned long offset = static_cast<unsigned long>(record[8]) << 24 | record[9] << 16 |
                                         record[10] << 8 | record[11];
            unsigned char head[8];
            const bool read = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) >= 0 &&
                              static_cast<unsigned long>(std::ftell(file)) >= offset + 8 &&
                              std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
                              std::fread(head, 1, sizeof head, file) == sizeof head;
            why = read ? "" : "the \"head\" table at offset " + std::to_string(offset) + " lies past the end";
            break;
        }
    }
    std::fclose(file);
    return why;
}

}  // namespace fontrev
