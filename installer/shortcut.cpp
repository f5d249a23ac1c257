// Retargets a shell link whose target still matches what the installer expects, saves it under a new name and
// removes the old file, without ever leaving no link on disk.
#include <cstring>

#include "installer/classic_case.h"
#include "installer/exports.h"
#include "platform/shell_link.h"

namespace {

enum ShortcutResult : int32_t {
    kRetargetedOrNoShellLink = 0,
    kTargetLengthDiffersOrRefused = 1,
    kTargetTextDiffers = 2,
    kLinkNotLoaded = 3,
    kNoPersistFile = 4,
    kComNotInitialised = 5,
    kNotSavedOldLinkKept = 6,
};

// Reads the link's target in its short form. A failed read leaves no defined text, so it counts as the empty
// target; the text never runs past its 260 bytes.
void ReadShortTarget(platform::ShellLinkReference link, char (&target)[platform::kMaxPath]) {
    if (!platform::Succeeded(platform::ShellLinkGetPath(link, target, platform::kMaxPath, platform::kSlgpShortPath)))
        target[0] = '\0';
    target[platform::kMaxPath - 1] = '\0';
}

// Upper-cases both texts in place, position by position, the target's byte first; true when they then match.
bool MatchWithoutAsciiCase(char* target, char* expected, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        target[i] = installer::UpperAscii(target[i]);
        expected[i] = installer::UpperAscii(expected[i]);
    }
    return std::memcmp(target, expected, length) == 0;
}

// Converts a path for the persist-file interface; false when its UTF-16 form does not fit 260 wide characters,
// so that a partial, unterminated conversion is never passed on.
bool ToWidePath(const char* path, char16_t (&wide)[platform::kMaxPath]) {
    return path && platform::AnsiToWide(path, wide, platform::kMaxPath) > 0;
}

int32_t Retarget(const char* linkPath, char* expectedTarget, const char* newTarget, const char* newLinkPath) {
    // Declared in this order so that the persist-file interface is released first, then the shell link.
    platform::UniqueShellLink link;
    if (!platform::Succeeded(platform::CreateShellLink(link.receive()))) return kRetargetedOrNoShellLink;
    platform::UniquePersistFile file;
    if (!platform::Succeeded(platform::QueryPersistFile(link.get(), file.receive()))) return kNoPersistFile;

    char16_t wideLinkPath[platform::kMaxPath];
    if (!ToWidePath(linkPath, wideLinkPath)) return kLinkNotLoaded;
    if (!platform::Succeeded(platform::PersistFileLoad(file.get(), wideLinkPath, platform::kStgmRead)))
        return kLinkNotLoaded;

    char target[platform::kMaxPath] = {};
    ReadShortTarget(link.get(), target);
    const size_t length = std::strlen(target);
    char noText[1] = {'\0'};
    char* expected = expectedTarget ? expectedTarget : noText;
    if (std::strlen(expected) != length) return kTargetLengthDiffersOrRefused;
    if (!MatchWithoutAsciiCase(target, expected, length)) return kTargetTextDiffers;

    if (!newTarget || !platform::Succeeded(platform::ShellLinkSetPath(link.get(), newTarget)))
        return kTargetLengthDiffersOrRefused;

    char16_t wideNewLinkPath[platform::kMaxPath];
    if (!ToWidePath(newLinkPath, wideNewLinkPath)) return kNotSavedOldLinkKept;
    if (!platform::Succeeded(platform::PersistFileSave(file.get(), wideNewLinkPath, true)))
        return kNotSavedOldLinkKept;
    // Saved in place: the old link is the new one.
    if (!platform::NameSameFile(wideLinkPath, wideNewLinkPath)) platform::DeleteFileAnsi(linkPath);
    platform::NotifyDesktopChanged();
    return kRetargetedOrNoShellLink;
}

}  // namespace

extern "C" int32_t SETUPAID_STDCALL CheckShortCutAndUpdateIfNecessary(const char* linkPath, char* expectedTarget,
                                                                      const char* newTarget,
                                                                      const char* newLinkPath) {
    // The thread stays initialised: COM is never uninitialised by the module.
    if (!platform::Succeeded(platform::ComInitialize())) return kComNotInitialised;
    return Retarget(linkPath, expectedTarget, newTarget, newLinkPath);
}
