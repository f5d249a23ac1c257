// Named blocks of shared memory backed by the page file, and views of them.
#pragma once

#include "platform/threads.h"
#include "platform/types.h"

namespace platform {

// Creates the named block of `size` bytes readable and writable (PAGE_READWRITE), filled with zeros, or opens
// it when an object of that name exists already (the two cases are not told apart). Null on failure.
Handle CreateSharedBlock(const char* name, uint32_t size);

// Maps the whole block with full access (FILE_MAP_ALL_ACCESS). Null on failure.
void* MapSharedBlock(Handle block);

// Releases a view returned by MapSharedBlock; null is ignored.
void UnmapSharedBlock(void* view);

}  // namespace platform
