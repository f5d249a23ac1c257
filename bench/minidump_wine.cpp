// Minidump timing and sizes under Wine (win64), in one run:
//   - from the call of crash::WriteDumpWithRetries to the dump file closed (the worker closes it before it ends),
//     against a bare MiniDumpWriteDump of the same process on the calling thread, file closed;
//   - the dump sizes for DumpType 0x40 and 0, with the worker left out (the module's way) and with a worker that
//     is not left out.
// Usage: minidump_bench.exe OUTPUT_DIR\ [ROUNDS]   (run from a folder without Report.exe: bench/minidump_wine.sh)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "crash/crash_state.h"
#include "crash/minidump_writer.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct BareDump {
    std::string path;
    uint32_t dumpType;
    platform::ExceptionPointers* pointers;
    bool excludeSelf;
    bool written;
};

// MiniDumpWriteDump on the calling thread, as a program without the module would call it.
void WriteBare(BareDump& job) {
    platform::Handle file = platform::CreateDumpFile(job.path.c_str());
    platform::DumpExceptionInformation exception{GetCurrentThreadId(), job.pointers, FALSE};
    uint32_t self = GetCurrentThreadId();
    platform::DumpCallbackInformation callback{crash::ExcludeWorkerThreadCallback, &self};
    job.written = file && crash::MiniDumpWriteDumpFunction(GetCurrentProcess(), GetCurrentProcessId(), file,
                                                           job.dumpType, job.pointers ? &exception : nullptr,
                                                           nullptr, job.excludeSelf ? &callback : nullptr) == TRUE;
    platform::CloseHandle(file);
}

DWORD WINAPI BareOnWorker(void* job) {
    WriteBare(*static_cast<BareDump*>(job));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: minidump_bench.exe OUTPUT_DIR\\ [ROUNDS]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::strncpy(crash::LocationPrefix, out.c_str(), crash::kLocationPrefixSize - 1);
    if (!crash::LoadDbgHelp()) return 3;

    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_POINTERS pointers{&record, &context};
    auto* ours = reinterpret_cast<platform::ExceptionPointers*>(&pointers);

    std::vector<double> moduleTimes, bareTimes;
    uint64_t moduleSize = 0, bareSize = 0;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool written = crash::WriteDumpWithRetries(ours);
        QueryPerformanceCounter(&end);
        if (!written) return 4;
        moduleTimes.push_back(Seconds(start, end));
        moduleSize = FileSize(crash::DumpPathBuffer);
        DeleteFileA(crash::DumpPathBuffer);

        BareDump bare{out + "bare.dmp", crash::CrashHandlerSettings.DumpType, ours, false, false};
        QueryPerformanceCounter(&start);
        WriteBare(bare);
        QueryPerformanceCounter(&end);
        if (!bare.written) return 5;
        bareTimes.push_back(Seconds(start, end));
        bareSize = FileSize(bare.path);
        DeleteFileA(bare.path.c_str());
    }
    const double moduleMedian = Median(moduleTimes), bareMedian = Median(bareTimes);
    std::printf("rounds %d, DumpType 0x%X\n", rounds, crash::CrashHandlerSettings.DumpType);
    std::printf("WriteDumpWithRetries to file closed: median %.3f s (%llu bytes)\n", moduleMedian,
                static_cast<unsigned long long>(moduleSize));
    std::printf("bare MiniDumpWriteDump, calling thread: median %.3f s (%llu bytes)\n", bareMedian,
                static_cast<unsigned long long>(bareSize));
    std::printf("ratio %.2f (goal <= 1.30)\n", moduleMedian / bareMedian);

    for (uint32_t dumpType : {0x40u, 0u}) {
        for (bool exclude : {true, false}) {
            BareDump job{out + "sized.dmp", dumpType, ours, exclude, false};
            HANDLE worker = CreateThread(nullptr, 0, BareOnWorker, &job, 0, nullptr);
            WaitForSingleObject(worker, INFINITE);
            CloseHandle(worker);
            std::printf("size DumpType 0x%02X, written on a worker %s: %llu bytes\n", dumpType,
                        exclude ? "left out" : "kept in", static_cast<unsigned long long>(FileSize(job.path)));
            DeleteFileA(job.path.c_str());
        }
    }
    return 0;
}
