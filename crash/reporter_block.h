// The block "MiniDumperParams" through which the module hands a dump to the external reporter (Report.exe).
// Shared by the module and the reporter; both layouts are pinned here. All numbers are little-endian; the path
// is 8-bit text in the active ANSI code page. See docs/formats/reporter-block.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace crash {

constexpr char kReporterBlockName[] = "MiniDumperParams";
constexpr uint32_t kReporterBlockSize = 292;
constexpr uint32_t kReporterPathSize = 260;
// The reporter's whole command line; nine characters and the terminating zero.
constexpr char kReporterCommandLine[] = "Report -d";
// The reporter's file name, looked for beside the module and beside the host program only.
constexpr char kReporterFileName[] = "Report.exe";

#pragma pack(push, 4)
// The layout of 32-bit processes.
struct ReporterBlock32 {
    uint32_t result;            // written by the reporter only: nonzero when it has written the dump
    uint32_t processId;         // the crashing process
    uint32_t handOffThreadId;   // the dump worker thread that hands off (to be left out of the dump)
    uint32_t faultingThreadId;  // only with readable exception pointers
    uint32_t dumpType;          // MINIDUMP_TYPE flags
    char dumpPath[kReporterPathSize];
    uint32_t reserved280;
    uint32_t exceptionPointers;  // EXCEPTION_POINTERS* in the crashing process, only when readable
    uint32_t reserved288;
};

// The layout of 64-bit processes: the same, except that the exception pointers' address takes 8 bytes at 284,
// over the reserved word at 288.
struct ReporterBlock64 {
    uint32_t result;
    uint32_t processId;
    uint32_t handOffThreadId;
    uint32_t faultingThreadId;
    uint32_t dumpType;
    char dumpPath[kReporterPathSize];
    uint32_t reserved280;
    uint64_t exceptionPointers;
};
#pragma pack(pop)

static_assert(sizeof(ReporterBlock32) == kReporterBlockSize, "32-bit block size");
static_assert(offsetof(ReporterBlock32, result) == 0, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, processId) == 4, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, handOffThreadId) == 8, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, faultingThreadId) == 12, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, dumpType) == 16, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, dumpPath) == 20, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, reserved280) == 280, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, exceptionPointers) == 284, "32-bit block layout");
static_assert(offsetof(ReporterBlock32, reserved288) == 288, "32-bit block layout");

static_assert(sizeof(ReporterBlock64) == kReporterBlockSize, "64-bit block size");
static_assert(offsetof(ReporterBlock64, result) == 0, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, processId) == 4, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, handOffThreadId) == 8, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, faultingThreadId) == 12, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, dumpType) == 16, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, dumpPath) == 20, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, reserved280) == 280, "64-bit block layout");
static_assert(offsetof(ReporterBlock64, exceptionPointers) == 284, "64-bit block layout");
static_assert(sizeof(ReporterBlock64::exceptionPointers) == 8, "64-bit block layout");

static_assert(sizeof(kReporterCommandLine) == 10, "the command line is ten bytes with its zero");

// The layout of this process's own width.
using ReporterBlock = std::conditional_t<sizeof(void*) == 8, ReporterBlock64, ReporterBlock32>;

}  // namespace crash
