#include "platform/win32/file_identity.h"

namespace platform::win32 {
namespace {

// Owns a handle opened with no access at all, only to read the file's identity; any sharing is allowed so a
// file in use still answers.
class IdentityHandle {
public:
    explicit IdentityHandle(const char* path)
        : handle_(CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    explicit IdentityHandle(const wchar_t* path)
        : handle_(CreateFileW(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~IdentityHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    IdentityHandle(const IdentityHandle&) = delete;
    IdentityHandle& operator=(const IdentityHandle&) = delete;

    bool read(BY_HANDLE_FILE_INFORMATION& info) const {
        return handle_ != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle_, &info);
    }

private:
    static constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle_;
};

template <typename Char>
std::optional<bool> Compare(const Char* first, const Char* second) {
    IdentityHandle a(first), b(second);
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!a.read(infoA) || !b.read(infoB)) return std::nullopt;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber && infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

}  // namespace

std::optional<bool> SameFileIdentity(const char* first, const char* second) { return Compare(first, second); }

std::optional<bool> SameFileIdentity(const wchar_t* first, const wchar_t* second) { return Compare(first, second); }

}  // namespace platform::win32
