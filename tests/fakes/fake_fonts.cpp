#include "tests/fakes/fake_fonts.h"

#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
FontSystemState state;
ResetRegistration reset{[] { state = FontSystemState{}; }};

std::string Text(const char* text) { return text ? std::string("\"") + text + "\"" : "null"; }

std::string ResourceName(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
}  // namespace

FontSystemState& FontSystem() { return state; }

}  // namespace fakes

namespace platform {

DeviceContext GetScreenDeviceContext() {
    fakes::Record("GetScreenDeviceContext()");
    ++fakes::state.openDeviceContexts;
    return fakes::kScreenDeviceContext;
}

void ReleaseScreenDeviceContext(DeviceContext dc) {
    fakes::Record("ReleaseScreenDeviceContext(" + fakes::Hex(dc) + ")");
    if (dc == fakes::kScreenDeviceContext) --fakes::state.openDeviceContexts;
}

int32_t EnumerateFontFamilies(DeviceContext dc, const LogFont& request, FontFamilyCallback callback,
                              intptr_t lParam) {
    fakes::Record("EnumerateFontFamilies(" + fakes::Hex(dc) + ", \"" +
                  std::string(request.lfFaceName, strnlen(request.lfFaceName, sizeof request.lfFaceName)) +
                  "\", charset " + std::to_string(request.lfCharSet) + ", pitch " +
                  std::to_string(request.lfPitchAndFamily) + ")");
    int32_t last = 1;
    for (const auto& face : fakes::state.faces) {
        LogFont found{};
        std::strncpy(found.lfFaceName, face.c_str(), sizeof found.lfFaceName - 1);
        found.lfCharSet = kDefaultCharset;
        last = callback(&found, nullptr, 4 /* TRUETYPE_FONTTYPE */, lParam);
        if (last == 0) break;
    }
    return last;
}

int32_t AddFontResourceFile(const char* path) {
    fakes::Record("AddFontResourceFile(" + fakes::Text(path) + ")");
    if (fakes::ShouldFail("AddFontResourceFile")) return 0;
    ++fakes::state.resources[fakes::ResourceName(path)];
    return 1;
}

int32_t RemoveFontResourceFile(const char* fileName) {
    fakes::Record("RemoveFontResourceFile(" + fakes::Text(fileName) + ")");
    if (fakes::ShouldFail("RemoveFontResourceFile")) return 0;
    --fakes::state.resources[fakes::ResourceName(fileName)];
    return 1;
}

int32_t CreateScalableFontResourceFile(uint32_t hidden, const char* fotPath, const char* fontFile,
                                   const char* fontDirectory) {
    fakes::Record("CreateScalableFontResourceFile(" + std::to_string(hidden) + ", " + fakes::Text(fotPath) + ", " +
                  fakes::Text(fontFile) + ", " + fakes::Text(fontDirectory) + ")");
    if (fakes::ShouldFail("CreateScalableFontResourceFile")) return 0;
    ++fakes::state.companionsCreated;
    return 1;
}

void BroadcastFontChange() { fakes::Record("BroadcastFontChange()"); }

uint32_t VersionPlatformId() {
    fakes::Record("VersionPlatformId()");
    return fakes::state.platformId;
}

bool IsCodePageLeadByte(uint8_t byte) { return fakes::state.leadBytes.count(byte) != 0; }

bool IsSameFile(const char* first, const char* second) {
    fakes::Record("IsSameFile(" + fakes::Text(first) + ", " + fakes::Text(second) + ")");
    struct stat a {}, b {};
    if (stat(first, &a) != 0 || stat(second, &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool DeleteFontFile(const char* path) {
    fakes::Record("DeleteFontFile(" + fakes::Text(path) + ")");
    if (fakes::ShouldFail("DeleteFontFile")) return false;
    return unlink(path) == 0;
}

bool MoveFileReplacing(const char* from, const char* to) {
    fakes::Record("MoveFileReplacing(" + fakes::Text(from) + ", " + fakes::Text(to) + ")");
    if (fakes::ShouldFail("MoveFileReplacing")) return false;
    return std::rename(from, to) == 0;
}

}  // namespace platform
