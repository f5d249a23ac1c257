#include "platform/storage.h"

#include <cstdlib>

namespace platform {

void* AllocateStorage(size_t bytes) { return std::malloc(bytes ? bytes : 1); }

void ReleaseStorage(void* block) { std::free(block); }

}  // namespace platform
