#include "platform/readability.h"

#include <windows.h>

namespace platform {

bool CanReadBytes(const void* address, size_t size) { return address && !IsBadReadPtr(address, size); }

bool CanReadText(const char* text, size_t maxBytes) { return text && !IsBadStringPtrA(text, maxBytes); }

}  // namespace platform
