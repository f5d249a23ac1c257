// What the faulting thread hands to a dump worker, and the result of one dump attempt.
#pragma once

#include "platform/types.h"

namespace crash {

// The result of one dump attempt.
enum DumpStatus : uint32_t {
    kDumpSucceeded = 0,         // the reporter took the job, or the module wrote the minidump
    kDumpLibraryMissing = 1,    // "DBGHELP.DLL" neither in the process nor loadable
    kDumpEntryMissing = 2,      // the library has no "MiniDumpWriteDump"
    kDumpBadArguments = 3,      // path not readable text, or exception pointers given but not readable
    kDumpFileNotCreated = 4,
    kDumpCallsFailed = 5,       // MiniDumpWriteDump did not succeed within 20 calls
    kDumpThreadNotCreated = 6,
    kDumpNotSettled = 7,        // a new request's status, and the library's status before the first load
};

// Written by the faulting thread before the worker starts; `status` and `lastError` are written by the worker
// and read back only after the worker thread has ended, so no lock is needed.
struct DumpRequest {
    uint32_t dumpType;                              // MINIDUMP_TYPE flags, passed on unchanged
    const char* path;                               // the dump file's path, not copied
    uint32_t threadId;                              // the faulting thread
    platform::ExceptionPointers* exceptionPointers;  // the fault's, or null
    uint32_t status;                                // a DumpStatus
    uint32_t lastError;
};

}  // namespace crash
