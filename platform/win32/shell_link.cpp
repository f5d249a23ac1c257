#include "platform/shell_link.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/file_identity.h"

namespace platform {

namespace {
IShellLinkA* AsShellLink(ShellLinkReference link) { return reinterpret_cast<IShellLinkA*>(link); }
IPersistFile* AsPersistFile(PersistFileReference file) { return reinterpret_cast<IPersistFile*>(file); }
const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

// The paths handed in fit MAX_PATH; their full forms add at most the current directory.
constexpr DWORD kFullPathCapacity = 4 * MAX_PATH;

bool SameFullPath(const wchar_t* first, const wchar_t* second) {
    wchar_t fullFirst[kFullPathCapacity], fullSecond[kFullPathCapacity];
    DWORD lengthFirst = GetFullPathNameW(first, kFullPathCapacity, fullFirst, nullptr);
    DWORD lengthSecond = GetFullPathNameW(second, kFullPathCapacity, fullSecond, nullptr);
    if (lengthFirst == 0 || lengthFirst >= kFullPathCapacity || lengthSecond == 0 ||
        lengthSecond >= kFullPathCapacity)
        return false;
    return CompareStringOrdinal(fullFirst, -1, fullSecond, -1, TRUE) == CSTR_EQUAL;
}
}  // namespace

HResult ComInitialize() { return CoInitialize(nullptr); }

HResult CreateShellLink(ShellLinkReference& link) {
    IShellLinkA* created = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&created));
    if (SUCCEEDED(result)) link = reinterpret_cast<ShellLinkReference>(created);
    return result;
}

HResult QueryPersistFile(ShellLinkReference link, PersistFileReference& file) {
    IPersistFile* obtained = nullptr;
    HRESULT result = AsShellLink(link)->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&obtained));
    if (SUCCEEDED(result)) file = reinterpret_cast<PersistFileReference>(obtained);
    return result;
}

void ReleaseShellLink(ShellLinkReference link) {
    if (link) AsShellLink(link)->Release();
}

void ReleasePersistFile(PersistFileReference file) {
    if (file) AsPersistFile(file)->Release();
}

int32_t AnsiToWide(const char* text, char16_t* wide, int32_t capacity) {
    return MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(wide), capacity);
}

HResult PersistFileLoad(PersistFileReference file, const char16_t* path, uint32_t mode) {
    return AsPersistFile(file)->Load(AsWide(path), mode);
}

HResult PersistFileSave(PersistFileReference file, const char16_t* path, bool remember) {
    return AsPersistFile(file)->Save(AsWide(path), remember ? TRUE : FALSE);
}

HResult ShellLinkGetPath(ShellLinkReference link, char* buffer, int32_t size, uint32_t flags) {
    WIN32_FIND_DATAA findData;
    return AsShellLink(link)->GetPath(buffer, size, &findData, flags);
}

HResult ShellLinkSetPath(ShellLinkReference link, const char* path) { return AsShellLink(link)->SetPath(path); }

bool DeleteFileAnsi(const char* path) { return DeleteFileA(path) != FALSE; }

void NotifyDesktopChanged() {
    // A 16-bit size of 0 terminates an item-identifier list: these bytes are the empty list, the desktop.
    static const unsigned char emptyItemList[3] = {0, 0, 0};
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, emptyItemList, nullptr);
}

bool NameSameFile(const char16_t* first, const char16_t* second) {
    const std::optional<bool> sameIdentity = win32::SameFileIdentity(AsWide(first), AsWide(second));
    if (!sameIdentity) return false;
    return *sameIdentity || SameFullPath(AsWide(first), AsWide(second));
}

}  // namespace platform
