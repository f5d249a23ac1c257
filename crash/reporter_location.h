// Where the external reporter may be found: beside the module's own file, else beside the host program. Never
// by bare name, so a Report.exe in the current directory or on the search path is never started.
#pragma once

#include "platform/types.h"

namespace crash {

// Writes the full path of an existing Report.exe into `out` (`size` bytes) and returns true; false, with `out`
// unspecified, when neither place holds one or the path does not fit.
bool FindReporterProgram(char* out, uint32_t size);

// Replaces the file name of the full path `filePath` by `fileName`. False when `filePath` has no directory
// part or the result does not fit in `size` bytes.
bool PathBesideFile(const char* filePath, const char* fileName, char* out, uint32_t size);

}  // namespace crash
