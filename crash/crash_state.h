// The crash handler's module-level state: its settings, the file-name prefix and the two one-byte flags.
// Plain module-level storage, so that the faulting thread never needs its own stack or the heap for it.
#pragma once

#include <atomic>

#include "platform/types.h"

namespace crash {

// Each setting bears the name of the registry value that sets it. Read once at load; only read afterwards.
struct CrashHandlerSettingsRecord {
    uint32_t WriteDump = 1;
    uint32_t WriteTvd = 1;
    uint32_t ForceTvd = 0;
    uint32_t DumpType = 0x40;  // MiniDumpWithIndirectlyReferencedMemory
};
extern CrashHandlerSettingsRecord CrashHandlerSettings;

// Placed in front of diagnostic file names; emptied when the crash handler is installed.
constexpr size_t kLocationPrefixSize = 264;
extern char LocationPrefix[kLocationPrefixSize];

// Set while the crash filter is at work; tested and set in one atomic step, so of two threads that fault at
// once exactly one does the work.
extern std::atomic<uint8_t> CrashFilterActive;

// 1 while a dump worker is busy: raised before a worker starts, lowered by the worker and by the hand-off to the
// reporter. Atomic because the faulting thread busy-waits on it while the worker writes it.
extern std::atomic<uint8_t> DumpBusyFlag;

// Returns all of the above to their values at load (for tests, and for the module's own initialisation).
void ResetCrashState();

}  // namespace crash
