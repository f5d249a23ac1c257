// COM on the calling thread and the shell's shell-link object, as thin as the system's own calls so tests can
// assert exact arguments and orders. Results are HRESULTs: negative is failure, 0 (S_OK) and 1 (S_FALSE) success.
#pragma once

#include "platform/types.h"

namespace platform {

using HResult = int32_t;
constexpr HResult kSOk = 0;
constexpr HResult kSFalse = 1;
constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
constexpr bool Succeeded(HResult result) { return result >= 0; }

// Interface references on one shell-link object; 0 is none.
using ShellLinkReference = uintptr_t;    // IShellLinkA
using PersistFileReference = uintptr_t;  // IPersistFile

constexpr uint32_t kStgmRead = 0;
constexpr uint32_t kSlgpShortPath = 1;
// Size of the path buffers the shell-link chore works with, in bytes or in wide characters (MAX_PATH).
constexpr int32_t kMaxPath = 260;

// CoInitialize(NULL): enters the single-threaded apartment; S_FALSE when the thread already is in it.
HResult ComInitialize();

// CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &link).
HResult CreateShellLink(ShellLinkReference& link);

// link->QueryInterface(IID_IPersistFile, &file).
HResult QueryPersistFile(ShellLinkReference link, PersistFileReference& file);

// IUnknown::Release. Releasing 0 does nothing.
void ReleaseShellLink(ShellLinkReference link);
void ReleasePersistFile(PersistFileReference file);

// MultiByteToWideChar(CP_ACP, 0, text, -1, wide, capacity): the characters written, terminator included, or 0
// when the text does not fit (the buffer may then hold a partial, unterminated conversion).
int32_t AnsiToWide(const char* text, char16_t* wide, int32_t capacity);

// file->Load(path, mode).
HResult PersistFileLoad(PersistFileReference file, const char16_t* path, uint32_t mode);

// file->Save(path, remember).
HResult PersistFileSave(PersistFileReference file, const char16_t* path, bool remember);

// link->GetPath(buffer, size, &findData, flags); the find data is filled and dropped.
HResult ShellLinkGetPath(ShellLinkReference link, char* buffer, int32_t size, uint32_t flags);

// link->SetPath(path).
HResult ShellLinkSetPath(ShellLinkReference link, const char* path);

// DeleteFileA(path); true when deleted.
bool DeleteFileAnsi(const char* path);

// SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, <empty item-identifier list>, NULL): the desktop, the root of the
// shell namespace, has changed.
void NotifyDesktopChanged();

// True when the two paths name one existing file: the same file identity (volume and file index), or the same
// full normalised path compared without case. False when either path names no file.
bool NameSameFile(const char16_t* first, const char16_t* second);

// Owns one interface reference and releases it when it goes out of scope.
template <typename Reference, void (*Release)(Reference)>
class UniqueComReference {
public:
    UniqueComReference() = default;
    ~UniqueComReference() { Release(reference_); }
    UniqueComReference(const UniqueComReference&) = delete;
    UniqueComReference& operator=(const UniqueComReference&) = delete;

    Reference get() const { return reference_; }
    // The slot a creating call fills; only for an empty holder.
    Reference& receive() { return reference_; }

private:
    Reference reference_ = 0;
};

using UniqueShellLink = UniqueComReference<ShellLinkReference, ReleaseShellLink>;
using UniquePersistFile = UniqueComReference<PersistFileReference, ReleasePersistFile>;

}  // namespace platform
