#include "crash/reporter_handoff.h"

#include <cstring>

#include "crash/crash_state.h"
#include "crash/reporter_block.h"
#include "crash/reporter_location.h"
#include "crash/scoped_handles.h"
#include "platform/processes.h"
#include "platform/readability.h"
#include "platform/shared_memory.h"
#include "platform/threads.h"

namespace crash {

namespace {

// lstrcpynA's rule: at most size - 1 characters, always terminated.
void CopyTextCut(char* out, const char* text, size_t size) {
    size_t length = 0;
    if (text)
        while (length + 1 < size && text[length] != '\0') ++length;
    std::memcpy(out, text ? text : "", length);
    out[length] = '\0';
}

// Every field the module owns, in a fixed order; `result` and the reserved words stay as they were.
void FillReporterBlock(ReporterBlock* block, const DumpRequest& request) {
    block->processId = platform::CurrentProcessId();
    block->handOffThreadId = platform::CurrentThreadId();
    CopyTextCut(block->dumpPath, request.path, sizeof block->dumpPath);
    block->dumpType = request.dumpType;
    if (platform::CanReadBytes(request.exceptionPointers, sizeof(platform::ExceptionPointers))) {
        block->faultingThreadId = request.threadId;
        block->exceptionPointers = static_cast<decltype(block->exceptionPointers)>(
            reinterpret_cast<uintptr_t>(request.exceptionPointers));
    }
}

uint32_t RunReporter(const DumpRequest& request, const char* reporterPath) {
    ScopedHandle mapping(platform::CreateSharedBlock(kReporterBlockName, kReporterBlockSize));
    if (!mapping) return 0;
    ScopedView view(platform::MapSharedBlock(mapping.get()));
    if (!view) return 0;
    auto* block = static_cast<ReporterBlock*>(view.get());
    FillReporterBlock(block, request);

    char commandLine[sizeof kReporterCommandLine];  // the system may write into the command line
    std::memcpy(commandLine, kReporterCommandLine, sizeof commandLine);
    platform::StartedProcess started;
    if (!platform::StartProcess(reporterPath, commandLine, &started)) return 0;
    ScopedHandle process(started.process);
    ScopedHandle thread(started.thread);
    platform::WaitForEnd(process.get());
    DumpBusyFlag = 0;
    process.reset();
    thread.reset();
    // Another process wrote it: read the block itself, now that the reporter has ended.
    return *static_cast<volatile uint32_t*>(&block->result);
}

}  // namespace

uint32_t HandOffToReporter(const DumpRequest* request) {
    uint32_t result = 0;
    char reporterPath[264];
    if (request && FindReporterProgram(reporterPath, sizeof reporterPath))
        result = RunReporter(*request, reporterPath);
    DumpBusyFlag = 0;
    return result;
}

}  // namespace crash
