// What the crash filter needs of the system beyond the registry and the writers.
#pragma once

#include "platform/types.h"

namespace platform {

// OutputDebugStringA: sends the text to an attached debugger (or the system's debug log).
void DebugOutput(const char* text);

// Sleep(milliseconds).
void SleepMilliseconds(uint32_t milliseconds);

}  // namespace platform
