// Time-stamped paths for the crash handler's files: "<location>Tarvelon YYYY_MM_DD HH_MM_SS_mmm"; the caller
// appends ".dmp" or ".tvd".
#pragma once

#include "platform/types.h"

namespace crash {

// Writes into `out` (maxLength bytes) the prefix when it is non-empty and leaves the 44-byte name reservation
// free, else the temporary directory when useTempDir and it fits likewise, else nothing; then the name from the
// local time. Never writes beyond maxLength bytes. Always produces a zero-terminated result.
void MakeDiagnosticFileName(const char* prefix, char* out, uint32_t maxLength, bool useTempDir);

}  // namespace crash
