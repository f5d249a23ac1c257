#include "installer/exports.h"

// Not yet implemented: every file has the empty description.
extern "C" const char* SETUPAID_STDCALL GetFileDescription(const char*) { return ""; }
