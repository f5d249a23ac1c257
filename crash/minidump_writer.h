// Minidumps of the crashing process: offered first to the external reporter, else written by the module itself
// on a worker thread, in up to three naming attempts.
#pragma once

#include "platform/types.h"

namespace crash {

// True when a minidump was written, or taken over by the external reporter. Runs on the faulting thread, which
// only waits while a worker thread does the work.
bool WriteDumpWithRetries(platform::ExceptionPointers* exceptionPointers);

}  // namespace crash
