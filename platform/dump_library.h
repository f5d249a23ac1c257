// The debugging-help library's minidump writer, reached through one typed entry, and the file it writes into.
// The records below are laid out exactly as the library's own (4-byte packing); platform/win32 checks that.
#pragma once

#include "platform/threads.h"
#include "platform/types.h"

namespace platform {

using ModuleHandle = void*;

// MINIDUMP_CALLBACK_TYPE values the crash code answers.
constexpr uint32_t kThreadCallback = 1;
constexpr uint32_t kIncludeThreadCallback = 3;

#pragma pack(push, 4)
// MINIDUMP_EXCEPTION_INFORMATION.
struct DumpExceptionInformation {
    uint32_t threadId;
    ExceptionPointers* exceptionPointers;
    int32_t clientPointers;  // BOOL: true when the pointers are addresses in the dumped (other) process
};

// The head of MINIDUMP_CALLBACK_INPUT. For the thread callbacks (ThreadCallback, ThreadExCallback,
// IncludeThreadCallback) the union that follows begins with the thread's id.
struct DumpCallbackInput {
    uint32_t processId;
    void* processHandle;
    uint32_t callbackType;
    uint32_t threadId;
};

// MINIDUMP_CALLBACK_ROUTINE: answers TRUE (1) or FALSE (0).
using DumpCallback = int32_t(SETUPAID_STDCALL*)(void* parameter, const DumpCallbackInput* input, void* output);

// MINIDUMP_CALLBACK_INFORMATION.
struct DumpCallbackInformation {
    DumpCallback routine;
    void* parameter;
};
#pragma pack(pop)

// MiniDumpWriteDump: process, its id, the open file, the MINIDUMP_TYPE flags, exception information or null,
// user streams (always null here), callback information or null. Nonzero on success.
using MiniDumpWriteDumpEntry = int32_t(SETUPAID_STDCALL*)(Handle process, uint32_t processId, Handle file,
                                                          uint32_t dumpType,
                                                          const DumpExceptionInformation* exceptionInformation,
                                                          const void* userStreams,
                                                          const DumpCallbackInformation* callbackInformation);

// The handle of the named library when it is already loaded in the process (GetModuleHandleA); null if not.
ModuleHandle LoadedLibrary(const char* name);

// Loads the named library from the system directory, by its full path, never from anywhere the current
// directory or the program's search path could answer. Null on failure. The library stays loaded.
ModuleHandle LoadSystemLibrary(const char* name);

// The library's "MiniDumpWriteDump" entry, or null when it has none.
MiniDumpWriteDumpEntry FindMiniDumpWriteDump(ModuleHandle library);

// Creates (or truncates) the dump file for reading and writing, unshared (CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL).
// Null on failure, with the reason in the last-error code. Close it with CloseHandle.
Handle CreateDumpFile(const char* path);

}  // namespace platform
