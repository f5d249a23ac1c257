#include "crash/minidump_writer.h"

#include <cstring>

#include "crash/crash_state.h"
#include "crash/diagnostic_file_name.h"
#include "crash/reporter_handoff.h"
#include "crash/scoped_handles.h"
#include "platform/readability.h"
#include "platform/structured_guard.h"
#include "platform/threads.h"

namespace crash {

char DumpPathBuffer[kDumpPathBufferSize];
uint32_t DbgHelpLoadStatus = kDumpNotSettled;
platform::MiniDumpWriteDumpEntry MiniDumpWriteDumpFunction = nullptr;

namespace {

constexpr char kDumpLibraryName[] = "DBGHELP.DLL";
constexpr char kDumpExtension[] = ".dmp";
constexpr uint32_t kNameLength = 256;
constexpr size_t kPathProbeBytes = 260;

struct AttemptPlace {
    bool usePrefix;
    bool useTempDir;
};
constexpr AttemptPlace kAttemptPlaces[kDumpAttempts] = {{true, true}, {false, true}, {false, false}};

// The series' working storage: module-level, off the faulting thread's (possibly exhausted) stack.
struct RetrySeries {
    platform::ExceptionPointers* exceptionPointers;
    bool succeeded;
};
RetrySeries series;

void RunAttempts(void* context) {
    auto* run = static_cast<RetrySeries*>(context);
    for (const AttemptPlace& place : kAttemptPlaces) {
        DumpPathBuffer[0] = '\0';
        MakeDiagnosticFileName(place.usePrefix ? LocationPrefix : nullptr, DumpPathBuffer, kNameLength,
                               place.useTempDir);
        // The name stays within 256 bytes, so the extension always fits the 264-byte buffer.
        std::strncat(DumpPathBuffer, kDumpExtension, kDumpPathBufferSize - std::strlen(DumpPathBuffer) - 1);
        const uint32_t status = WriteMiniDump(CrashHandlerSettings.DumpType, DumpPathBuffer,
                                              platform::CurrentThreadId(), run->exceptionPointers);
        if (status == kDumpSucceeded) {
            run->succeeded = true;
            return;
        }
    }
}

// The worker's own writing: one file, up to 20 calls into it, nothing done to the file between them.
void WriteDumpFile(DumpRequest& request) {
    ScopedHandle file{platform::CreateDumpFile(request.path)};
    if (!file) {
        request.status = kDumpFileNotCreated;
        return;
    }
    platform::DumpExceptionInformation exceptionInformation{request.threadId, request.exceptionPointers, 0};
    uint32_t workerThreadId = platform::CurrentThreadId();
    const platform::DumpCallbackInformation callback{ExcludeWorkerThreadCallback, &workerThreadId};
    int32_t answer = 0;
    for (int call = 0; call < kDumpCallsPerAttempt && answer == 0; ++call)
        answer = MiniDumpWriteDumpFunction(platform::CurrentProcess(), platform::CurrentProcessId(), file.get(),
                                           request.dumpType,
                                           request.exceptionPointers ? &exceptionInformation : nullptr, nullptr,
                                           &callback);
    DumpBusyFlag = 0;
    file.reset();
    request.status = answer == 1 ? kDumpSucceeded : kDumpCallsFailed;
}

}  // namespace

bool WriteDumpWithRetries(platform::ExceptionPointers* exceptionPointers) {
    series = RetrySeries{exceptionPointers, false};
    const bool finished = platform::RunGuarded(RunAttempts, &series);
    return finished && series.succeeded;
}

bool LoadDbgHelp() {
    if (MiniDumpWriteDumpFunction) return true;
    platform::ModuleHandle library = platform::LoadedLibrary(kDumpLibraryName);
    if (!library) library = platform::LoadSystemLibrary(kDumpLibraryName);
    if (!library) {
        DbgHelpLoadStatus = kDumpLibraryMissing;
        return false;
    }
    MiniDumpWriteDumpFunction = platform::FindMiniDumpWriteDump(library);
    DbgHelpLoadStatus = MiniDumpWriteDumpFunction ? kDumpSucceeded : kDumpEntryMissing;
    return MiniDumpWriteDumpFunction != nullptr;
}

uint32_t WriteMiniDump(uint32_t dumpType, const char* path, uint32_t threadId,
                       platform::ExceptionPointers* exceptionPointers) {
    if (!platform::CanReadText(path, kPathProbeBytes)) return kDumpBadArguments;
    // The whole record as this process lays it out (8 bytes on 32-bit, 16 on 64-bit), not what it points to.
    if (exceptionPointers && !platform::CanReadBytes(exceptionPointers, sizeof(platform::ExceptionPointers)))
        return kDumpBadArguments;
    if (!MiniDumpWriteDumpFunction) {
        if (DbgHelpLoadStatus != kDumpNotSettled) return DbgHelpLoadStatus;
        if (!LoadDbgHelp()) return DbgHelpLoadStatus;
    }

    DumpRequest request{dumpType, path, threadId, exceptionPointers, kDumpNotSettled, 0};
    DumpBusyFlag = 1;
    ScopedHandle worker{platform::StartThread(DumpWorkerThread, &request)};
    if (!worker) {
        request.lastError = platform::LastError();
        request.status = kDumpThreadNotCreated;
        DumpBusyFlag = 0;
    } else {
        // Spins without yielding: this thread has nothing else to do, and the flag falls as soon as the
        // hand-off or the writing is over.
        while (DumpBusyFlag.load() != 0) {
        }
        platform::WaitForEnd(worker.get());
        worker.reset();
    }
    platform::SetLastError(request.lastError);
    return request.status;
}

uint32_t SETUPAID_STDCALL DumpWorkerThread(void* argument) {
    auto& request = *static_cast<DumpRequest*>(argument);
    if (HandOffToReporter(&request) != 0)
        request.status = kDumpSucceeded;
    else
        WriteDumpFile(request);
    request.lastError = platform::LastError();
    DumpBusyFlag = 0;
    return request.status == kDumpSucceeded ? 1 : 0;
}

void ResetDumpWriterState() {
    DumpPathBuffer[0] = '\0';
    DbgHelpLoadStatus = kDumpNotSettled;
    MiniDumpWriteDumpFunction = nullptr;
    series = RetrySeries{};
}

}  // namespace crash
