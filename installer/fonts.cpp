#include "installer/fonts.h"

#include <cstdio>
#include <cstring>

#include "installer/exports.h"
#include "installer/classic_case.h"
#include "installer/font_revision.h"
#include "installer/scoped_file.h"
#include "platform/registry.h"

namespace {

constexpr size_t kPathSize = 260;       // MAX_PATH: 259 characters and the terminating zero
constexpr size_t kValueNameSize = 256;  // registry value names: 255 characters
constexpr uint32_t kPlatformWindowsNt = 2;
constexpr size_t kCopyBlockSize = 4096;

// The copy is made under this suffix first, so the installed font stays whole until the new one is complete.
constexpr const char kStagingSuffix[] = ".new";

// Set by MatchFaceCallback during one enumeration; cleared before each.
int32_t FontFaceFound = 0;

bool EqualIgnoringAsciiCase(const char* first, const char* second, size_t limit) {
    for (size_t i = 0; i < limit; ++i) {
        if (installer::LowerAscii(first[i]) != installer::LowerAscii(second[i])) return false;
        if (first[i] == '\0') return true;
    }
    return second[limit] == '\0';  // `first` filled its whole field without a zero
}

// Formats into a fixed buffer; false (and nothing usable) when the text does not fit.
template <typename... Args>
bool FormatFits(char* buffer, size_t size, const char* format, Args... args) {
    const int length = std::snprintf(buffer, size, format, args...);
    return length >= 0 && static_cast<size_t>(length) < size;
}

struct FontPaths {
    char source[kPathSize];
    char installed[kPathSize];
    char companion[kPathSize];
    char staging[kPathSize];
    char valueName[kValueNameSize];
};

// Builds every path and name of one call; false when any of them would not fit its buffer.
bool BuildFontPaths(const char* faceName, const char* fileName, const char* sourceDir, const char* fontsDir,
                    FontPaths& paths) {
    if (std::strlen(faceName) >= platform::kFaceNameSize) return false;
    return FormatFits(paths.source, kPathSize, "%s\\%s", sourceDir, fileName) &&
           FormatFits(paths.installed, kPathSize, "%s\\%s", fontsDir, fileName) &&
           FormatFits(paths.staging, kPathSize, "%s%s", paths.installed, kStagingSuffix) &&
           FormatFits(paths.valueName, kValueNameSize, "%s (TrueType)", faceName) &&
           MakeCompanionPath(paths.installed, paths.companion, kPathSize);
}

// Makes the installed file known to the system, records it and gives it its .FOT companion.
void InstallFromPlace(const FontPaths& paths, const char* fileName, const char* fontsDir) {
    platform::AddFontResourceFile(paths.installed);
    SetFontValue(paths.valueName, fileName);
    platform::CreateScalableFontResourceFile(0, paths.companion, fileName, fontsDir);
    platform::AddFontResourceFile(paths.companion);
    platform::BroadcastFontChange();
}

}  // namespace

extern "C" int32_t SETUPAID_STDCALL MatchFaceCallback(const platform::LogFont* logFont, const void*, uint32_t,
                                                      intptr_t lParam) {
    const char* wanted = reinterpret_cast<const char*>(lParam);
    if (!logFont || !wanted) return 1;
    if (!EqualIgnoringAsciiCase(logFont->lfFaceName, wanted, sizeof logFont->lfFaceName)) return 1;
    FontFaceFound = 1;
    return 0;
}

bool IsFaceInstalled(const char* faceName) {
    FontFaceFound = 0;
    platform::LogFont request{};
    request.lfCharSet = platform::kDefaultCharset;
    request.lfPitchAndFamily = 0;
    std::strncpy(request.lfFaceName, faceName, sizeof request.lfFaceName - 1);
    const platform::DeviceContext screen = platform::GetScreenDeviceContext();
    platform::EnumerateFontFamilies(screen, request, MatchFaceCallback, reinterpret_cast<intptr_t>(faceName));
    platform::ReleaseScreenDeviceContext(screen);
    return FontFaceFound == 1;
}

bool CopyFontFile(const char* sourcePath, const char* destinationPath) {
    installer::ScopedFile source{std::fopen(sourcePath, "rb")};
    if (!source.file) return false;
    installer::ScopedFile destination{std::fopen(destinationPath, "wb")};
    if (!destination.file) return false;

    bool complete = false;
    unsigned char block[kCopyBlockSize];
    for (;;) {
        const size_t read = std::fread(block, 1, sizeof block, source.file);
        if (std::ferror(source.file)) break;
        if (std::fwrite(block, 1, read, destination.file) != read) break;
        if (std::feof(source.file)) {
            complete = true;
            break;
        }
    }
    source.close();
    // Buffered bytes reach the disk only here: a full disk may first show itself at the close.
    const bool closed = destination.close();
    return complete && closed;
}

const char* FontListKey(uint32_t platformId) {
    return platformId == kPlatformWindowsNt ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                                            : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
}

void DeleteFontValue(const char* valueName) {
    platform::UniqueRegistryKey fonts;
    if (!fonts.open(platform::RootKey::LocalMachine, FontListKey(platform::VersionPlatformId()),
                    platform::kKeyAllAccess))
        return;
    platform::RegistryDeleteValue(fonts.get(), valueName);
}

void SetFontValue(const char* valueName, const char* fileName) {
    DeleteFontValue(valueName);
    platform::UniqueRegistryKey fonts;
    if (!fonts.open(platform::RootKey::LocalMachine, FontListKey(platform::VersionPlatformId()),
                    platform::kKeyWrite))
        return;
    platform::RegistrySetValue(fonts.get(), valueName, platform::kRegSz, reinterpret_cast<const uint8_t*>(fileName),
                               static_cast<uint32_t>(std::strlen(fileName) + 1));
}

bool MakeCompanionPath(const char* fontPath, char* companion, size_t size) {
    const size_t length = std::strlen(fontPath);
    const size_t directoryStart = (length >= 2 && fontPath[1] == ':') ? 2 : 0;
    // Walk character by character so the second byte of a double-byte character is never a separator or dot.
    size_t lastDot = length;
    for (size_t i = directoryStart; i < length; ++i) {
        const char c = fontPath[i];
        if (c == '\\' || c == '/') {
            lastDot = length;
        } else if (c == '.') {
            lastDot = i;
        } else if (platform::IsCodePageLeadByte(static_cast<uint8_t>(c)) && i + 1 < length) {
            ++i;
        }
    }
    const size_t stem = lastDot;
    static constexpr char kExtension[] = ".FOT";
    if (stem + sizeof kExtension > size) return false;
    std::memcpy(companion, fontPath, stem);
    std::memcpy(companion + stem, kExtension, sizeof kExtension);
    return true;
}

extern "C" int32_t SETUPAID_STDCALL UpdateFont(const char* faceName, const char* fileName, const char* sourceDir,
                                               const char* fontsDir) {
    if (!faceName || !fileName || !sourceDir || !fontsDir) return 0;
    FontPaths paths;
    if (!BuildFontPaths(faceName, fileName, sourceDir, fontsDir, paths)) return 0;

    const bool installed = IsFaceInstalled(faceName);
    if (installed) {
        const int32_t installedRevision = ReadFontRevision(paths.installed);
        const int32_t newRevision = ReadFontRevision(paths.source);
        if (newRevision <= installedRevision) return 0;
    }

    // sourceDir and fontsDir may name one folder: the file is then already in place and copying it onto itself
    // would empty it.
    const bool alreadyInPlace = platform::IsSameFile(paths.source, paths.installed);
    if (!alreadyInPlace && !CopyFontFile(paths.source, paths.staging)) {
        platform::DeleteFontFile(paths.staging);
        return 0;
    }

    if (installed) platform::RemoveFontResourceFile(fileName);
    if (!alreadyInPlace && !platform::MoveFileReplacing(paths.staging, paths.installed)) {
        // The installed file is held (in use) or the folder refuses: put back the one thing changed so far.
        platform::DeleteFontFile(paths.staging);
        if (installed) platform::AddFontResourceFile(paths.installed);
        return 0;
    }
    if (installed) {
        DeleteFontValue(paths.valueName);
        platform::DeleteFontFile(paths.companion);
        platform::BroadcastFontChange();
    }
    InstallFromPlace(paths, fileName, fontsDir);
    return 1;
}
