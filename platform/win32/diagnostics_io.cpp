#include "platform/diagnostics_io.h"

#include <windows.h>

namespace platform {

// INVALID_HANDLE_VALUE is the handle whose bits are all ones, which is kNoDiagnosticsFile.
static_assert(sizeof(HANDLE) == sizeof(DiagnosticsFile), "a file is a handle");

void* ProcessHeapAllocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void ProcessHeapFree(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

DiagnosticsFile CreateDiagnosticsFile(const char* name) {
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return reinterpret_cast<DiagnosticsFile>(file);
}

bool WriteDiagnosticsFile(DiagnosticsFile file, const void* bytes, uint32_t count) {
    DWORD written = 0;
    return WriteFile(reinterpret_cast<HANDLE>(file), bytes, count, &written, nullptr) != 0;
}

void CloseDiagnosticsFile(DiagnosticsFile file) {
    if (file != kNoDiagnosticsFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

// IsBadReadPtr is what the crash code is meant to use: it probes under the system's own guard and answers for
// memory that may change under it, which is all a crashing process can hope for.

// NtCurrentTeb is an inline read through the gs/fs segment at a small constant offset, which g++ 12 mistakes for
// an access to a zero-length array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
const void* CurrentThreadBlock() { return NtCurrentTeb(); }
#pragma GCC diagnostic pop

}  // namespace platform
