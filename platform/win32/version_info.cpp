#include "platform/version_info.h"

#include <windows.h>

namespace platform {

uint32_t VersionInfoSize(const char* fileName) { return GetFileVersionInfoSizeA(fileName, nullptr); }

bool ReadVersionInfo(const char* fileName, uint32_t size, void* block) {
    return GetFileVersionInfoA(fileName, 0, size, block) != FALSE;
}

bool QueryVersionValue(const void* block, const char* subBlock, const void*& value, uint32_t& length) {
    void* found = nullptr;
    UINT foundLength = 0;
    if (!VerQueryValueA(block, subBlock, &found, &foundLength)) return false;
    value = found;
    length = foundLength;
    return true;
}

}  // namespace platform
