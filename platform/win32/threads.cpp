#include "platform/threads.h"

#include <windows.h>

namespace platform {

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
uint32_t CurrentThreadId() { return GetCurrentThreadId(); }
Handle CurrentProcess() { return GetCurrentProcess(); }

Handle StartThread(ThreadProcedure procedure, void* argument) {
    static_assert(sizeof(DWORD) == sizeof(uint32_t), "thread procedures return 32 bits");
    return CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(procedure), argument, 0, nullptr);
}

void WaitForEnd(Handle object) { WaitForSingleObject(object, INFINITE); }

void CloseHandle(Handle handle) {
    if (handle) ::CloseHandle(handle);
}

uint32_t LastError() { return GetLastError(); }
void SetLastError(uint32_t error) { ::SetLastError(error); }

}  // namespace platform
