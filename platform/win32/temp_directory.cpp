#include "platform/temp_directory.h"

#include <windows.h>

namespace platform {

uint32_t TempDirectory(char* out, uint32_t size) { return GetTempPathA(size, out); }

}  // namespace platform
