// A file's version resource, read with the system's version-information services.
#pragma once

#include "platform/types.h"

namespace platform {

// GetFileVersionInfoSizeA(fileName, NULL): the size in bytes of the file's version data; 0 when there is none or
// the file cannot be read.
uint32_t VersionInfoSize(const char* fileName);

// GetFileVersionInfoA(fileName, 0, size, block); true when the block of `size` bytes has been filled.
bool ReadVersionInfo(const char* fileName, uint32_t size, void* block);

// VerQueryValueA(block, subBlock, &value, &length); true when found. `value` then addresses the datum inside the
// block and `length` is its size (bytes for binary data, characters for text).
bool QueryVersionValue(const void* block, const char* subBlock, const void*& value, uint32_t& length);

}  // namespace platform
