// Readability probes for pointers the crash code cannot trust (IsBadReadPtr, IsBadStringPtrA): they answer
// without faulting, whatever the address.
#pragma once

#include "platform/types.h"

namespace platform {

// True when all `size` bytes at `address` can be read now. A null address is never readable.
bool CanReadBytes(const void* address, size_t size);

// True when `text` can be read up to its terminating zero or up to `maxBytes` bytes, whichever comes first.
bool CanReadText(const char* text, size_t maxBytes);

}  // namespace platform
