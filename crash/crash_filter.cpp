#include "crash/crash_filter.h"

#include <cstring>

#include "crash/crash_state.h"
#include "crash/minidump_writer.h"
#include "crash/startup_diagnostics.h"
#include "platform/filter_support.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/threads.h"

namespace crash {

namespace {

constexpr uint32_t kStackOverflow = 0xC00000FD;
constexpr platform::FilterResult kContinueSearch = 0;
constexpr char kBanner[] = "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!";  // 33 '!'
static_assert(sizeof kBanner == 34, "the banner is 33 characters");

CrashWriters writers{WriteDumpWithRetries, WriteStartupDiagnostics};

// The thread whose crash is being handled (valid while CrashFilterActive is 1).
std::atomic<uint32_t> activeThreadId{0};

uint32_t ExceptionCodeOf(const platform::ExceptionPointers* pointers) {
    uint32_t code = 0;  // ExceptionCode is the record's first field
    std::memcpy(&code, pointers->exceptionRecord, sizeof code);
    return code;
}

// Another thread's crash is being handled: wait until it is done. Returning at once would let the system end
// the process on this thread's behalf while the other thread's files are half-written.
void WaitForTheActiveCrash() {
    while (CrashFilterActive.load() != 0) platform::SleepMilliseconds(10);
}

}  // namespace

CrashWriters& ActiveCrashWriters() { return writers; }

bool ReadCrashHandlerSetting(const char* valueName, uint32_t& setting) {
    platform::UniqueRegistryKey key;
    if (!key.open(platform::RootKey::LocalMachine, kSettingsKey, platform::kKeyQueryValue)) return false;
    uint8_t data[4] = {};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    if (platform::RegistryQueryValue(key.get(), valueName, &type, data, &size) != platform::kErrorSuccess ||
        type != platform::kRegDword || size != sizeof data)
        return false;
    std::memcpy(&setting, data, sizeof setting);
    return true;
}

void InstallCrashHandler() {
    ReadCrashHandlerSetting("WriteDump", CrashHandlerSettings.WriteDump);
    ReadCrashHandlerSetting("WriteTvd", CrashHandlerSettings.WriteTvd);
    ReadCrashHandlerSetting("ForceTvd", CrashHandlerSettings.ForceTvd);
    ReadCrashHandlerSetting("DumpType", CrashHandlerSettings.DumpType);
    if (CrashHandlerSettings.WriteDump == 0 && CrashHandlerSettings.WriteTvd == 0) return;
    LocationPrefix[0] = '\0';
    // The filter replaced here is not kept: the module's first static object restores the filter that was in
    // force before the module was loaded.
    platform::SetProcessExceptionFilter(TopLevelCrashFilter);
}

platform::FilterResult SETUPAID_STDCALL TopLevelCrashFilter(platform::ExceptionPointers* exceptionPointers) {
    const uint32_t thisThread = platform::CurrentThreadId();
    uint8_t idle = 0;
    if (!CrashFilterActive.compare_exchange_strong(idle, 1)) {
        // A fault inside the filter's own work returns at once; another thread's fault waits its turn.
        if (activeThreadId.load() != thisThread) WaitForTheActiveCrash();
        return kContinueSearch;
    }
    activeThreadId = thisThread;

    if (ExceptionCodeOf(exceptionPointers) == kStackOverflow) {
        platform::DebugOutput(kBanner);
        platform::DebugOutput("EXCEPTION_STACK_OVERFLOW occurred");
        platform::DebugOutput(kBanner);
    }

    if (CrashHandlerSettings.ForceTvd != 0) {
        writers.writeStartupDiagnostics(exceptionPointers);
        writers.writeDump(exceptionPointers);
    } else if (!writers.writeDump(exceptionPointers) && CrashHandlerSettings.WriteTvd != 0) {
        writers.writeStartupDiagnostics(exceptionPointers);
    }

    activeThreadId = 0;
    CrashFilterActive = 0;
    return kContinueSearch;
}

}  // namespace crash
