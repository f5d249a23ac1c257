#include "crash/minidump_writer.h"

// Placeholder until the minidump writer lands: no dump is written.
namespace crash {
bool WriteDumpWithRetries(platform::ExceptionPointers*) { return false; }
}  // namespace crash
