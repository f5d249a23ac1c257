#include "platform/processes.h"

#include <windows.h>

namespace platform {

bool StartProcess(const char* application, char* commandLine, StartedProcess* started) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    started->process = process.hProcess;
    started->thread = process.hThread;
    return true;
}

namespace {

// GetModuleFileNameA fills the whole buffer, without a zero on older systems, when the path is too long.
uint32_t FilePathOf(HMODULE module, char* out, uint32_t size) {
    if (!out || size == 0) return 0;
    const DWORD length = GetModuleFileNameA(module, out, size);
    if (length == 0 || length >= size) return 0;
    return length;
}

}  // namespace

uint32_t ModuleFilePath(const void* address, char* out, uint32_t size) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return 0;
    return FilePathOf(module, out, size);
}

uint32_t HostExecutablePath(char* out, uint32_t size) { return FilePathOf(nullptr, out, size); }

bool FileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace platform
