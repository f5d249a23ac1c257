// Fake font system: a list of enumerated faces, font resources as counts by path, the platform family and the
// code page's lead bytes. Files are real: the file operations act on the Linux file system (a path such as
// "/tmp/x/fonts\a.ttf" is simply a file whose name holds a backslash), so the standard-library reads and copies
// of the logic see the same files.
// Logged: every operation except IsCodePageLeadByte (asked once per byte of a path).
// Injected failures: "AddFontResourceFile", "RemoveFontResourceFile", "CreateScalableFontResourceFile"
// (return 0, change nothing), "DeleteFontFile", "MoveFileReplacing" (return false, change nothing; a held file).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fonts.h"

namespace fakes {

struct FontSystemState {
    std::vector<std::string> faces;  // enumerated in this order, whatever face the request names
    uint32_t platformId = 2;
    std::set<uint8_t> leadBytes;     // none: a single-byte code page
    // Font resources by file name (the system finds a bare name in the fonts folder): times added minus removed.
    std::map<std::string, int> resources;
    int openDeviceContexts = 0;
    int companionsCreated = 0;
};

FontSystemState& FontSystem();

constexpr platform::DeviceContext kScreenDeviceContext = 0xDC;

}  // namespace fakes
