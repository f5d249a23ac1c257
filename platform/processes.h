// Starting another program, and the paths that tell where a trusted program may be found.
#pragma once

#include "platform/threads.h"
#include "platform/types.h"

namespace platform {

struct StartedProcess {
    Handle process = nullptr;
    Handle thread = nullptr;
};

// Starts `application` (a full path: the program is never looked for by name) with `commandLine`, which the
// system may change in place. The new process gets this process's own startup information (GetStartupInfoA),
// inherits no handles, and runs with this process's environment and current directory. False on failure.
bool StartProcess(const char* application, char* commandLine, StartedProcess* started);

// The full path of the module (DLL or program) whose code contains `address`. The path's length, or 0 when it
// is unknown or does not fit in `size` bytes with its terminating zero.
uint32_t ModuleFilePath(const void* address, char* out, uint32_t size);

// The full path of the process's own program file, under the same rules.
uint32_t HostExecutablePath(char* out, uint32_t size);

// True when `path` names an existing file (not a directory).
bool FileExists(const char* path);

}  // namespace platform
