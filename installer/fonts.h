// Font installation and update: the steps behind the UpdateFont export, each usable on its own.
#pragma once

#include <cstddef>

#include "platform/fonts.h"
#include "platform/types.h"

// The enumeration callback of the installed-face check: lParam is the face name asked for. Sets the module's
// found flag and returns 0 (stop) when the enumerated face equals it without regard to ASCII case, else 1.
extern "C" int32_t SETUPAID_STDCALL MatchFaceCallback(const platform::LogFont* logFont, const void* textMetric,
                                                      uint32_t fontType, intptr_t lParam);

// True when the system enumerates a face of this name (ASCII letters compared without case).
bool IsFaceInstalled(const char* faceName);

// Copies sourcePath to destinationPath byte for byte. True only when every byte was read, written and flushed;
// when the source cannot be opened the destination is not created or changed.
bool CopyFontFile(const char* sourcePath, const char* destinationPath);

// Deletes valueName from the registry's list of fonts (the key of this platform family). Nothing is reported.
void DeleteFontValue(const char* valueName);

// Deletes valueName, then writes it anew as REG_SZ fileName, its terminating zero counted. Nothing is reported.
void SetFontValue(const char* valueName, const char* fileName);

// The path of a font file's .FOT companion: the same path with its last extension (if any) replaced by "FOT",
// double-byte characters of the active code page kept whole. False when the result needs more than `size` bytes.
bool MakeCompanionPath(const char* fontPath, char* companion, size_t size);

// The registry's list of fonts for a platform family (dwPlatformId).
const char* FontListKey(uint32_t platformId);
