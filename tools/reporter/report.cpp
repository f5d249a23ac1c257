// Report.exe: the external crash reporter. setupaid.dll starts it as "Report -d" from a dump worker thread of a
// crashing process, after publishing the job in the shared block "MiniDumperParams"; it writes the minidump of
// that process from outside and answers in the block's `result`. See docs/reporter.md.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "crash/minidump_writer.h"
#include "crash/reporter_block.h"
#include "platform/dump_library.h"

namespace {

constexpr int kDumpWritten = 0;
constexpr int kNotWritten = 1;
constexpr int kUsage = 2;

void PrintUsage() {
    std::printf(
        "Report - the crash reporter of setupaid.dll.\n"
        "\n"
        "setupaid.dll starts it, from the process that is crashing, with the command line \"Report -d\",\n"
        "after it has put the job into the shared memory block \"MiniDumperParams\": the process id, the\n"
        "dump path and type, the faulting thread and its exception pointers. Report writes the minidump of\n"
        "that process and sets the block's result to 1 when the dump is complete (0 otherwise, so that the\n"
        "module writes the dump itself).\n"
        "\n"
        "Usage: Report -d      (started by the module; not useful by hand)\n"
        "Exit codes: 0 dump written, 1 no job or the dump failed, 2 this help.\n");
}

// Owns a kernel handle.
struct OwnedHandle {
    HANDLE handle;
    ~OwnedHandle() {
        if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

struct OwnedView {
    void* view;
    ~OwnedView() {
        if (view) UnmapViewOfFile(view);
    }
};

int Fail(const char* what, DWORD error) {
    std::fprintf(stderr, "Report: %s (error %lu)\n", what, static_cast<unsigned long>(error));
    return kNotWritten;
}

// Writes the dump the block asks for. The block's `result` is left to the caller.
int WriteRequestedDump(const crash::ReporterBlock& job) {
    char path[crash::kReporterPathSize];
    std::memcpy(path, job.dumpPath, sizeof path);
    path[sizeof path - 1] = '\0';

    OwnedHandle process{OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE,
                                    job.processId)};
    if (!process.handle) return Fail("cannot open the crashing process", GetLastError());

    const auto entry = platform::FindMiniDumpWriteDump(platform::LoadSystemLibrary("DBGHELP.DLL"));
    if (!entry) return Fail("no MiniDumpWriteDump in the system's DBGHELP.DLL", GetLastError());

    OwnedHandle file{CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return Fail("cannot create the dump file", GetLastError());

    // The exception pointers are addresses in the crashing process: the library reads them from there.
    platform::DumpExceptionInformation exception{
        job.faultingThreadId,
        reinterpret_cast<platform::ExceptionPointers*>(static_cast<uintptr_t>(job.exceptionPointers)), TRUE};
    uint32_t handOffThread = job.handOffThreadId;
    const platform::DumpCallbackInformation callback{crash::ExcludeWorkerThreadCallback, &handOffThread};
    const bool written = entry(process.handle, job.processId, file.handle, job.dumpType,
                               job.exceptionPointers ? &exception : nullptr, nullptr, &callback) == TRUE;
    const DWORD error = GetLastError();
    CloseHandle(file.handle);
    file.handle = nullptr;
    if (!written) {
        DeleteFileA(path);  // the module writes the dump itself, under the same name
        return Fail("cannot write the dump of the crashing process", error);
    }
    return kDumpWritten;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "-d") != 0) {
        PrintUsage();
        return kUsage;
    }
    OwnedHandle mapping{OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, crash::kReporterBlockName)};
    if (!mapping.handle) return Fail("no dump request: the block \"MiniDumperParams\" does not exist", GetLastError());
    OwnedView view{MapViewOfFile(mapping.handle, FILE_MAP_ALL_ACCESS, 0, 0, crash::kReporterBlockSize)};
    if (!view.view) return Fail("cannot map the block \"MiniDumperParams\"", GetLastError());

    auto* block = static_cast<crash::ReporterBlock*>(view.view);
    block->result = 0;
    crash::ReporterBlock job;
    std::memcpy(&job, block, sizeof job);
    const int outcome = WriteRequestedDump(job);
    block->result = outcome == kDumpWritten ? 1 : 0;
    return outcome;
}
