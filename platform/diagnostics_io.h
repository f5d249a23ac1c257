// The raw operations the startup diagnostics writer needs on the faulting thread: a process-heap block, an
// unbuffered file, readability probes and the thread's environment block. Thin over the system's calls, so that
// tests can assert exact sizes and orders.
#pragma once

#include "platform/types.h"

namespace platform {

// An open file; kNoDiagnosticsFile (INVALID_HANDLE_VALUE) is none.
using DiagnosticsFile = uintptr_t;
constexpr DiagnosticsFile kNoDiagnosticsFile = ~DiagnosticsFile{0};

// HeapAlloc(GetProcessHeap(), 0, size): the block, or null.
void* ProcessHeapAllocate(size_t size);
// HeapFree(GetProcessHeap(), 0, block). Null does nothing.
void ProcessHeapFree(void* block);

// CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, none, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
// none): replaces a file of that name. The file, or kNoDiagnosticsFile.
DiagnosticsFile CreateDiagnosticsFile(const char* name);
// WriteFile(file, bytes, count, &written, none): true on success.
bool WriteDiagnosticsFile(DiagnosticsFile file, const void* bytes, uint32_t count);
// CloseHandle(file). kNoDiagnosticsFile does nothing.
void CloseDiagnosticsFile(DiagnosticsFile file);

// NtCurrentTeb(): the calling thread's environment block.
const void* CurrentThreadBlock();

}  // namespace platform
