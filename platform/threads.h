// Threads, the ids of this process and thread, waits, handles and the calling thread's last-error code.
#pragma once

#include "platform/types.h"

namespace platform {

// A kernel handle as the system hands it out; null stands for "none" (failures are reported as null).
using Handle = void*;

// The procedure of a new thread, in the form the system's thread creation requires (LPTHREAD_START_ROUTINE).
using ThreadProcedure = uint32_t(SETUPAID_STDCALL*)(void* argument);

uint32_t CurrentProcessId();
uint32_t CurrentThreadId();
// The pseudo-handle that stands for this process (GetCurrentProcess); never needs closing.
Handle CurrentProcess();

// CreateThread with default security and stack size, running at once; the new thread's id is not kept.
// Null on failure, with the reason in the last-error code.
Handle StartThread(ThreadProcedure procedure, void* argument);

// Waits without time limit until the object (a thread or a process) is signalled, that is, has ended.
void WaitForEnd(Handle object);

// Closes a handle obtained from any platform operation; a null handle is ignored.
void CloseHandle(Handle handle);

// The calling thread's last-error code (GetLastError, SetLastError).
uint32_t LastError();
void SetLastError(uint32_t error);

}  // namespace platform
