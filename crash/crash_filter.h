// The crash handler's entry points: its settings, its installation at load, and the process-wide filter that
// runs when a thread of the host raises an exception nothing else handles.
#pragma once

#include "platform/types.h"

namespace crash {

// The key the settings live under, in HKEY_LOCAL_MACHINE.
constexpr char kSettingsKey[] = "Software\\Tarvelon Software\\TarvelonDiagnostics\\CrashHandler\\";

// Reads the REG_DWORD value `valueName` into `setting`. True when read; otherwise (no key, no value, another type
// or size, a failed open or query) `setting` keeps its value. Opens and closes the key on every call.
bool ReadCrashHandlerSetting(const char* valueName, uint32_t& setting);

// Reads "WriteDump", "WriteTvd", "ForceTvd" and "DumpType", then, unless both WriteDump and WriteTvd are 0,
// empties LocationPrefix and makes TopLevelCrashFilter the process's filter. Runs once, at load.
void InstallCrashHandler();

// The process's unhandled-exception filter. Writes what the settings ask for and always returns 0
// (EXCEPTION_CONTINUE_SEARCH), so the system's default handling goes on.
platform::FilterResult SETUPAID_STDCALL TopLevelCrashFilter(platform::ExceptionPointers* exceptionPointers);

// The two writers the filter calls; the module's own by default. Tests put recorders here.
struct CrashWriters {
    bool (*writeDump)(platform::ExceptionPointers*);
    bool (*writeStartupDiagnostics)(platform::ExceptionPointers*);
};
CrashWriters& ActiveCrashWriters();

}  // namespace crash
