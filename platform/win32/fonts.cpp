#include "platform/fonts.h"

#include <windows.h>

#include "platform/win32/file_identity.h"

#include <cstddef>

namespace platform {

static_assert(sizeof(LogFont) == sizeof(LOGFONTA), "LogFont mirrors LOGFONTA");
static_assert(offsetof(LogFont, lfCharSet) == offsetof(LOGFONTA, lfCharSet), "LogFont mirrors LOGFONTA");
static_assert(offsetof(LogFont, lfPitchAndFamily) == offsetof(LOGFONTA, lfPitchAndFamily), "LogFont mirrors LOGFONTA");
static_assert(offsetof(LogFont, lfFaceName) == offsetof(LOGFONTA, lfFaceName), "LogFont mirrors LOGFONTA");
static_assert(offsetof(ENUMLOGFONTEXA, elfLogFont) == 0, "the callback reads elfLogFont through a LogFont");
static_assert(sizeof(intptr_t) == sizeof(LPARAM), "lParam passes through unchanged");

namespace {

HDC ToHdc(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }

}  // namespace

DeviceContext GetScreenDeviceContext() { return reinterpret_cast<DeviceContext>(GetDC(nullptr)); }

void ReleaseScreenDeviceContext(DeviceContext dc) { ReleaseDC(nullptr, ToHdc(dc)); }

int32_t EnumerateFontFamilies(DeviceContext dc, const LogFont& request, FontFamilyCallback callback,
                              intptr_t lParam) {
    LOGFONTA logFont;
    static_assert(sizeof logFont == sizeof request, "same layout");
    CopyMemory(&logFont, &request, sizeof logFont);
    return EnumFontFamiliesExA(ToHdc(dc), &logFont, reinterpret_cast<FONTENUMPROCA>(callback), lParam, 0);
}

int32_t AddFontResourceFile(const char* path) { return AddFontResourceA(path); }

int32_t RemoveFontResourceFile(const char* fileName) { return RemoveFontResourceA(fileName); }

int32_t CreateScalableFontResourceFile(uint32_t hidden, const char* fotPath, const char* fontFile,
                                   const char* fontDirectory) {
    return CreateScalableFontResourceA(hidden, fotPath, fontFile, fontDirectory);
}

void BroadcastFontChange() { SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0); }

uint32_t VersionPlatformId() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof version == 148, "the size GetVersionExA is asked with");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    return version.dwPlatformId;
}

bool IsCodePageLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool IsSameFile(const char* first, const char* second) { return win32::SameFileIdentity(first, second).value_or(false); }

bool DeleteFontFile(const char* path) { return DeleteFileA(path) != FALSE; }

bool MoveFileReplacing(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
}

}  // namespace platform
