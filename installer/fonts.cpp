#include "installer/exports.h"

// Not yet implemented: leaves every installed font in place.
extern "C" int32_t SETUPAID_STDCALL UpdateFont(const char*, const char*, const char*, const char*) { return 0; }
