// A crashing host for the minidump checks: links the crash code directly, lets its main thread fault, and from
// its own unhandled-exception filter asks crash::WriteDumpWithRetries for the dump, as the crash filter does.
// Usage: dump_host.exe LOCATION_PREFIX
// Prints: "faulting-thread ID", "result 0|1", "path PATH", "module-dump-calls N" (the module's own calls of
// MiniDumpWriteDump) and "new-threads ID..." (every thread that started after the fault: the dump workers).
// Exit code 0 when a dump was written (by the module or the reporter), 3 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "crash/crash_state.h"
#include "crash/minidump_writer.h"

namespace {

volatile LONG faultSeen = 0;
DWORD newThreads[16];
volatile LONG newThreadCount = 0;

platform::MiniDumpWriteDumpEntry realEntry = nullptr;
int moduleDumpCalls = 0;

int32_t SETUPAID_STDCALL CountingEntry(platform::Handle process, uint32_t processId, platform::Handle file,
                                       uint32_t dumpType, const platform::DumpExceptionInformation* exception,
                                       const void* streams, const platform::DumpCallbackInformation* callback) {
    ++moduleDumpCalls;
    return realEntry(process, processId, file, dumpType, exception, streams, callback);
}

void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID) {
    if (reason != DLL_THREAD_ATTACH || !faultSeen) return;
    const LONG slot = InterlockedIncrement(&newThreadCount) - 1;
    if (slot < 16) newThreads[slot] = GetCurrentThreadId();
}

LONG WINAPI Filter(EXCEPTION_POINTERS* pointers) {
    faultSeen = 1;
    const bool written = crash::WriteDumpWithRetries(reinterpret_cast<platform::ExceptionPointers*>(pointers));
    std::printf("result %d\npath %s\nmodule-dump-calls %d\nnew-threads", written ? 1 : 0, crash::DumpPathBuffer,
                moduleDumpCalls);
    for (LONG i = 0; i < newThreadCount && i < 16; ++i) std::printf(" %lu", static_cast<unsigned long>(newThreads[i]));
    std::printf("\n");
    std::fflush(stdout);
    ExitProcess(written ? 0 : 3);
}

}  // namespace

// Thread-start notifications for this program (a TLS callback), so the workers' ids can be told.
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK dumpHostThreadEvents = OnThreadEvent;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dump_host.exe LOCATION_PREFIX\n");
        return 2;
    }
    std::strncpy(crash::LocationPrefix, argv[1], crash::kLocationPrefixSize - 1);
    // The writer would load the library first as well; the entry is then wrapped to count the module's calls.
    if (!crash::LoadDbgHelp()) {
        std::printf("no dump library\n");
        return 4;
    }
    realEntry = crash::MiniDumpWriteDumpFunction;
    crash::MiniDumpWriteDumpFunction = CountingEntry;
    SetUnhandledExceptionFilter(Filter);
    std::printf("faulting-thread %lu\n", static_cast<unsigned long>(GetCurrentThreadId()));
    std::fflush(stdout);
    *static_cast<volatile int*>(nullptr) = 1;
    return 5;
}
