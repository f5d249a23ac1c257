// The startup diagnostics file (".tvd"): a compact file of the module's own format with the fault's exception
// record, processor context, the start of the thread's environment block and its stack.
#pragma once

#include "platform/types.h"

namespace crash {

// Writes the file for the fault described by `exceptionPointers`, on the faulting thread, under the structured-
// exception guard: any fault inside ends the operation silently, keeping what was written. True when the file
// was created and every record was written.
bool WriteStartupDiagnostics(platform::ExceptionPointers* exceptionPointers);

}  // namespace crash
