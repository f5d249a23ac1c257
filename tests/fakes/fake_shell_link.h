// A fake COM apartment and shell-link object over an in-memory set of files. Paths are compared as given, so a
// test names which different texts denote one file with `sameFiles`.
// Injected failures (each makes the operation return E_FAIL and change nothing): "ComInitialize",
// "CreateShellLink", "QueryPersistFile", "PersistFileLoad", "PersistFileSave", "ShellLinkSetPath",
// "ShellLinkGetPath" (which then also fills the whole buffer with 'X' and no terminator, as undefined text),
// "DeleteFileAnsi".
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/shell_link.h"

namespace fakes {

struct ShellLinkState {
    // Files on the fake disk: a link file's name maps to its target; `otherFiles` are files that are no links.
    std::map<std::string, std::string> linkFiles;
    std::set<std::string> otherFiles;
    // Pairs of different path texts that name one file (either order).
    std::set<std::pair<std::string, std::string>> sameFiles;
    int comInitialisations = 0;  // successful ComInitialize calls
    int liveReferences = 0;      // interface references handed out and not yet released
    int notifications = 0;
};

ShellLinkState& ShellLinks();

}  // namespace fakes
