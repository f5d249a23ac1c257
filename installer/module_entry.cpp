// The module's entry point and the order of its static objects. Windows only: built into setupaid.dll.
#include <windows.h>

#include "crash/crash_filter.h"
#include "installer/module_lifecycle.h"

namespace {

// init_priority orders construction across the module (lower first) and destruction in reverse, so this object
// is constructed before and destroyed after every other static object of the module.
__attribute__((init_priority(101))) installer::FilterInForceBeforeLoad filterInForceBeforeLoad;

// The crash handler is installed by the module's first own static initialiser, right after the recording above,
// so that it is in force before any export can be called.
struct CrashHandlerInstallation {
    CrashHandlerInstallation() { crash::InstallCrashHandler(); }
};
__attribute__((init_priority(102))) CrashHandlerInstallation crashHandlerInstallation;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    // Loading, unloading and thread notifications need nothing beyond the static objects above.
    return TRUE;
}
