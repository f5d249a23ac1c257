#include "crash/crash_state.h"

namespace crash {

CrashHandlerSettingsRecord CrashHandlerSettings;
char LocationPrefix[kLocationPrefixSize];
std::atomic<uint8_t> CrashFilterActive{0};
std::atomic<uint8_t> DumpBusyFlag{0};

void ResetCrashState() {
    CrashHandlerSettings = CrashHandlerSettingsRecord{};
    LocationPrefix[0] = '\0';
    CrashFilterActive = 0;
    DumpBusyFlag = 0;
}

}  // namespace crash
