#include "platform/dump_library.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstddef>
#include <cstring>

namespace platform {

ModuleHandle LoadedLibrary(const char* name) { return GetModuleHandleA(name); }

ModuleHandle LoadSystemLibrary(const char* name) {
    char path[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    const size_t nameLength = std::strlen(name);
    if (length == 0 || length + 1 + nameLength + 1 > sizeof path) return nullptr;
    path[length] = '\\';
    std::memcpy(path + length + 1, name, nameLength + 1);
    // Its own dependencies are looked for beside it first, not beside the host program.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

MiniDumpWriteDumpEntry FindMiniDumpWriteDump(ModuleHandle library) {
    FARPROC entry = GetProcAddress(static_cast<HMODULE>(library), "MiniDumpWriteDump");
    return reinterpret_cast<MiniDumpWriteDumpEntry>(reinterpret_cast<void*>(entry));
}

Handle CreateDumpFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

}  // namespace platform

// The records handed to the library must be its own, field for field.
static_assert(sizeof(platform::DumpExceptionInformation) == sizeof(MINIDUMP_EXCEPTION_INFORMATION), "layout");
static_assert(offsetof(platform::DumpExceptionInformation, exceptionPointers) ==
                  offsetof(MINIDUMP_EXCEPTION_INFORMATION, ExceptionPointers),
              "layout");
static_assert(offsetof(platform::DumpExceptionInformation, clientPointers) ==
                  offsetof(MINIDUMP_EXCEPTION_INFORMATION, ClientPointers),
              "layout");
static_assert(sizeof(platform::DumpCallbackInformation) == sizeof(MINIDUMP_CALLBACK_INFORMATION), "layout");
static_assert(offsetof(platform::DumpCallbackInformation, parameter) ==
                  offsetof(MINIDUMP_CALLBACK_INFORMATION, CallbackParam),
              "layout");
static_assert(offsetof(platform::DumpCallbackInput, processHandle) ==
                  offsetof(MINIDUMP_CALLBACK_INPUT, ProcessHandle),
              "layout");
static_assert(offsetof(platform::DumpCallbackInput, callbackType) == offsetof(MINIDUMP_CALLBACK_INPUT, CallbackType),
              "layout");
static_assert(offsetof(platform::DumpCallbackInput, threadId) == offsetof(MINIDUMP_CALLBACK_INPUT, Thread.ThreadId),
              "layout");
static_assert(offsetof(platform::DumpCallbackInput, threadId) ==
                  offsetof(MINIDUMP_CALLBACK_INPUT, IncludeThread.ThreadId),
              "layout");
static_assert(platform::kThreadCallback == ThreadCallback && platform::kIncludeThreadCallback == IncludeThreadCallback,
              "callback types");
