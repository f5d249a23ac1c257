#include "platform/shared_memory.h"

#include <windows.h>

namespace platform {

Handle CreateSharedBlock(const char* name, uint32_t size) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
}

void* MapSharedBlock(Handle block) { return MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 0); }

void UnmapSharedBlock(void* view) {
    if (view) UnmapViewOfFile(view);
}

}  // namespace platform
