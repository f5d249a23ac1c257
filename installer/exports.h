// The module's export table. An installer looks each function up by name (ordinals 1 to 7 in this order, see
// setupaid.def) and calls it with zero-terminated 8-bit text in the active ANSI code page and 32-bit integers.
// On 32-bit x86 every export is __stdcall: the callee removes its arguments.
#pragma once

#include "platform/types.h"

extern "C" {

// 1. Installs a TrueType font, or replaces the installed face when the new file carries a greater revision.
//    1 when the installation steps were carried out, 0 when the installed font was left in place.
int32_t SETUPAID_STDCALL UpdateFont(const char* faceName, const char* fileName, const char* sourceDir,
                                    const char* fontsDir);

// 2. 1 when today's local date is on or after the given calendar date (day 1-31, month 1-12, year in full),
//    else 0. Out-of-range values are compared as they stand.
int32_t SETUPAID_STDCALL IsAfter(int32_t day, int32_t month, int32_t year);

// 3. The identifier of the active ANSI code page.
uint32_t SETUPAID_STDCALL GetActiveCP();

// 4. The description text of a file's version resource, or the empty text. The text stays valid until the next
//    call.
const char* SETUPAID_STDCALL GetFileDescription(const char* fileName);

// 5. Makes the shell rebuild its icon cache. Always 0.
int32_t SETUPAID_STDCALL ForceIconCacheRebuild();

// 6. Retargets a shortcut whose target still matches expectedTarget (upper-cased in place) and saves it under
//    newLinkPath. A result code 0-6; see docs/exports/CheckShortCutAndUpdateIfNecessary.md.
int32_t SETUPAID_STDCALL CheckShortCutAndUpdateIfNecessary(const char* linkPath, char* expectedTarget,
                                                           const char* newTarget, const char* newLinkPath);

// 7. Ignores its three arguments and returns 0.
int32_t SETUPAID_STDCALL RuveEntry(uint32_t first, uint32_t second, uint32_t third);

}  // extern "C"
