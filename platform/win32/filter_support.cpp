#include "platform/filter_support.h"

#include <windows.h>

namespace platform {

void DebugOutput(const char* text) { OutputDebugStringA(text); }

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace platform
