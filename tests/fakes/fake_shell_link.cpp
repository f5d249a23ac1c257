#include "tests/fakes/fake_shell_link.h"

#include <algorithm>
#include <cstring>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {

ShellLinkState state;

// The one shell-link object a call works on. Its interfaces are handed out as distinct non-zero values.
struct LinkObject {
    bool exists = false;
    std::string target;
};
LinkObject object;
constexpr platform::ShellLinkReference kShellLink = 0x5100;
constexpr platform::PersistFileReference kPersistFile = 0x5200;

ResetRegistration reset{[] {
    state = ShellLinkState{};
    object = LinkObject{};
}};

std::string Narrow(const char16_t* wide) {
    std::string text;
    for (; *wide; ++wide) text.push_back(static_cast<char>(*wide));
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Exists(const std::string& name) { return state.linkFiles.count(name) || state.otherFiles.count(name); }

// The name under which an existing file is kept when `name` is another text for it.
std::string Resolve(const std::string& name) {
    for (const auto& same : state.sameFiles) {
        if (same.second == name && Exists(same.first)) return same.first;
        if (same.first == name && Exists(same.second)) return same.second;
    }
    return name;
}

}  // namespace

ShellLinkState& ShellLinks() { return state; }

}  // namespace fakes

namespace platform {

HResult ComInitialize() {
    fakes::Record("ComInitialize()");
    if (fakes::ShouldFail("ComInitialize")) return kEFail;
    return fakes::state.comInitialisations++ == 0 ? kSOk : kSFalse;
}

HResult CreateShellLink(ShellLinkReference& link) {
    fakes::Record("CreateShellLink()");
    if (fakes::ShouldFail("CreateShellLink")) return kEFail;
    fakes::object = fakes::LinkObject{true, ""};
    ++fakes::state.liveReferences;
    link = fakes::kShellLink;
    return kSOk;
}

HResult QueryPersistFile(ShellLinkReference link, PersistFileReference& file) {
    fakes::Record("QueryPersistFile()");
    if (link != fakes::kShellLink) return kEFail;
    if (fakes::ShouldFail("QueryPersistFile")) return kEFail;
    ++fakes::state.liveReferences;
    file = fakes::kPersistFile;
    return kSOk;
}

void ReleaseShellLink(ShellLinkReference link) {
    if (!link) return;
    fakes::Record("Release(ShellLink)");
    --fakes::state.liveReferences;
}

void ReleasePersistFile(PersistFileReference file) {
    if (!file) return;
    fakes::Record("Release(PersistFile)");
    --fakes::state.liveReferences;
}

int32_t AnsiToWide(const char* text, char16_t* wide, int32_t capacity) {
    // Bytes widen one to one; like the system, a text that does not fit leaves a partial, unterminated copy.
    const size_t needed = std::strlen(text) + 1;
    for (int32_t i = 0; i < capacity && static_cast<size_t>(i) < needed; ++i)
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    fakes::Record("AnsiToWide(" + std::to_string(needed) + " of " + std::to_string(capacity) + ")");
    return needed <= static_cast<size_t>(capacity) ? static_cast<int32_t>(needed) : 0;
}

HResult PersistFileLoad(PersistFileReference file, const char16_t* path, uint32_t mode) {
    const std::string name = fakes::Narrow(path);
    fakes::Record("PersistFileLoad(" + fakes::Quoted(name) + ", " + std::to_string(mode) + ")");
    if (file != fakes::kPersistFile || fakes::ShouldFail("PersistFileLoad")) return kEFail;
    auto found = fakes::state.linkFiles.find(name);
    if (found == fakes::state.linkFiles.end()) return kEFail;
    fakes::object.target = found->second;
    return kSOk;
}

HResult PersistFileSave(PersistFileReference file, const char16_t* path, bool remember) {
    const std::string name = fakes::Narrow(path);
    fakes::Record("PersistFileSave(" + fakes::Quoted(name) + ", " + (remember ? "TRUE" : "FALSE") + ")");
    if (file != fakes::kPersistFile || fakes::ShouldFail("PersistFileSave")) return kEFail;
    fakes::state.otherFiles.erase(fakes::Resolve(name));
    fakes::state.linkFiles[fakes::Resolve(name)] = fakes::object.target;
    return kSOk;
}

HResult ShellLinkGetPath(ShellLinkReference link, char* buffer, int32_t size, uint32_t flags) {
    fakes::Record("ShellLinkGetPath(" + std::to_string(size) + ", " + std::to_string(flags) + ")");
    if (link != fakes::kShellLink || fakes::ShouldFail("ShellLinkGetPath")) {
        std::memset(buffer, 'X', static_cast<size_t>(size));
        return kEFail;
    }
    const std::string& target = fakes::object.target;
    const size_t copied = std::min(target.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, target.data(), copied);
    buffer[copied] = '\0';
    return target.empty() ? kSFalse : kSOk;
}

HResult ShellLinkSetPath(ShellLinkReference link, const char* path) {
    fakes::Record("ShellLinkSetPath(" + fakes::Quoted(path) + ")");
    if (link != fakes::kShellLink || fakes::ShouldFail("ShellLinkSetPath")) return kEFail;
    fakes::object.target = path;
    return kSOk;
}

bool DeleteFileAnsi(const char* path) {
    fakes::Record("DeleteFileAnsi(" + fakes::Quoted(path) + ")");
    if (fakes::ShouldFail("DeleteFileAnsi")) return false;
    const std::string name = fakes::Resolve(path);
    return fakes::state.linkFiles.erase(name) + fakes::state.otherFiles.erase(name) > 0;
}

void NotifyDesktopChanged() {
    fakes::Record("NotifyDesktopChanged()");
    ++fakes::state.notifications;
}

bool NameSameFile(const char16_t* first, const char16_t* second) {
    const std::string a = fakes::Narrow(first), b = fakes::Narrow(second);
    fakes::Record("NameSameFile(" + fakes::Quoted(a) + ", " + fakes::Quoted(b) + ")");
    const std::string resolvedA = fakes::Resolve(a), resolvedB = fakes::Resolve(b);
    return fakes::Exists(resolvedA) && fakes::Exists(resolvedB) && resolvedA == resolvedB;
}

}  // namespace platform
