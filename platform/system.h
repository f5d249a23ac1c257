// Process-wide facts and settings the module reads from the system.
#pragma once

#include "platform/types.h"

namespace platform {

// The identifier of the ANSI code page the system uses for 8-bit text (GetACP). Never fails.
uint32_t ActiveCodePage();

// Makes `filter` the process's unhandled-exception filter and returns the one it replaces (null when none).
ExceptionFilter SetProcessExceptionFilter(ExceptionFilter filter);

}  // namespace platform
