// The system operations that installing a font needs: GDI enumeration and font resources, the font-change
// broadcast, the platform family, and the few file operations that staging a font file in the fonts directory
// needs beyond the standard library. Results are passed back unchecked where the caller does not need them.
#pragma once

#include "platform/types.h"

namespace platform {

// The layout of the system's LOGFONTA (60 bytes; checked against <windows.h> where it is implemented).
struct LogFont {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};

constexpr uint8_t kDefaultCharset = 1;
constexpr size_t kFaceNameSize = 32;  // LF_FACESIZE, with the terminating zero

// A device context; 0 is none.
using DeviceContext = uintptr_t;

// The callback EnumFontFamiliesExA calls: the enumerated font's ENUMLOGFONTEXA (which starts with a LOGFONTA),
// its TEXTMETRIC, its font type and the caller's lParam. 0 stops the enumeration, anything else goes on.
using FontFamilyCallback = int32_t(SETUPAID_STDCALL*)(const LogFont* logFont, const void* textMetric,
                                                      uint32_t fontType, intptr_t lParam);

// GetDC(NULL): the screen's device context.
DeviceContext GetScreenDeviceContext();
// ReleaseDC(NULL, dc).
void ReleaseScreenDeviceContext(DeviceContext dc);
// EnumFontFamiliesExA(dc, &request, callback, lParam, 0); its result is passed back.
int32_t EnumerateFontFamilies(DeviceContext dc, const LogFont& request, FontFamilyCallback callback,
                              intptr_t lParam);

// AddFontResourceA / RemoveFontResourceA: the number of fonts added or removed, 0 on failure.
int32_t AddFontResourceFile(const char* path);
int32_t RemoveFontResourceFile(const char* fileName);
// CreateScalableFontResourceA(hidden, fotPath, fontFile, fontDirectory): nonzero on success.
int32_t CreateScalableFontResourceFile(uint32_t hidden, const char* fotPath, const char* fontFile,
                                   const char* fontDirectory);
// SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0): waits until every top-level window has handled it.
void BroadcastFontChange();

// dwPlatformId of GetVersionExA, asked with an OSVERSIONINFOA of 148 bytes (2: the Windows NT family).
uint32_t VersionPlatformId();

// True when `byte` starts a double-byte character in the active ANSI code page (IsDBCSLeadByte).
bool IsCodePageLeadByte(uint8_t byte);

// True when both paths name one existing file (same volume and file index), however each is spelled.
bool IsSameFile(const char* first, const char* second);
// Deletes a file; false when it is missing or cannot be deleted.
bool DeleteFontFile(const char* path);
// Moves `from` to `to`, replacing a file at `to`; false, with both files as they were, when it cannot.
bool MoveFileReplacing(const char* from, const char* to);

}  // namespace platform
