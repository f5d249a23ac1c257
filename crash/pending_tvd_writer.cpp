#include "crash/startup_diagnostics.h"

// Placeholder until the startup diagnostics writer lands: no file is written.
namespace crash {
bool WriteStartupDiagnostics(platform::ExceptionPointers*) { return false; }
}  // namespace crash
