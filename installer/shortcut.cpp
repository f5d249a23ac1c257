#include "installer/exports.h"

// Not yet implemented: changes no shortcut.
extern "C" int32_t SETUPAID_STDCALL CheckShortCutAndUpdateIfNecessary(const char*, char*, const char*,
                                                                      const char*) {
    return 0;
}
