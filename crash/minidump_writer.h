// Minidumps of the crashing process: offered first to the external reporter, else written by the module itself
// on a worker thread, in up to three naming attempts.
#pragma once

#include "crash/dump_request.h"
#include "platform/dump_library.h"
#include "platform/types.h"

namespace crash {

// True when a minidump was written, or taken over by the external reporter. Runs on the faulting thread, which
// only waits while a worker thread does the work. Three attempts, each under a new name: in LocationPrefix (else
// the temporary directory), in the temporary directory, then a bare name in the current directory. The series
// runs under the structured-exception guard: a fault on this thread ends it with false.
bool WriteDumpWithRetries(platform::ExceptionPointers* exceptionPointers);

// One attempt: checks the path (readable text within 260 bytes) and the exception pointers (readable when
// given), loads the dump library on first use, then starts DumpWorkerThread and waits for it. Returns a
// DumpStatus; once a worker start was tried, also sets this thread's last-error code to the request's.
uint32_t WriteMiniDump(uint32_t dumpType, const char* path, uint32_t threadId,
                       platform::ExceptionPointers* exceptionPointers);

// True when the MiniDumpWriteDump entry is available. The first call settles DbgHelpLoadStatus for the
// module's life: a library that is missing, or lacks the entry, is not looked for again.
bool LoadDbgHelp();

// The worker: hands the request to the reporter, else writes the dump itself (up to 20 calls into one file).
// Settles the request's status and lastError, lowers DumpBusyFlag; exit code 1 when the status is 0, else 0.
uint32_t SETUPAID_STDCALL DumpWorkerThread(void* request);

// The dump library's callback: FALSE for the thread whose id `parameter` points to, on IncludeThreadCallback
// and on ThreadCallback (some dump libraries only ask the latter), which leaves that thread out; TRUE otherwise.
int32_t SETUPAID_STDCALL ExcludeWorkerThreadCallback(void* parameter, const platform::DumpCallbackInput* input,
                                                     void* output);

// Module-level state of the writer.
constexpr uint32_t kDumpPathBufferSize = 264;
extern char DumpPathBuffer[kDumpPathBufferSize];  // the current attempt's path
extern uint32_t DbgHelpLoadStatus;                // kDumpNotSettled until the first load, then 0, 1 or 2
extern platform::MiniDumpWriteDumpEntry MiniDumpWriteDumpFunction;  // null until found

constexpr int kDumpAttempts = 3;
constexpr int kDumpCallsPerAttempt = 20;

// Returns the writer's state to its values at load (for tests).
void ResetDumpWriterState();

}  // namespace crash
