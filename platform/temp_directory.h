// The user's temporary directory.
#pragma once

#include "platform/types.h"

namespace platform {

// GetTempPathA(size, out): the directory's length without the zero, ending in '\', when it fits in `size` bytes;
// the size it would need (greater than `size`, `out` untouched) when it does not; 0 on failure.
uint32_t TempDirectory(char* out, uint32_t size);

}  // namespace platform
