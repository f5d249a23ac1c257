// The registry, as thin as the system's own calls so tests can assert exact keys, access masks and byte counts.
// Results are system error codes: 0 (ERROR_SUCCESS) on success. Out-parameters are untouched on failure.
#pragma once

#include "platform/types.h"

namespace platform {

enum class RootKey : uint32_t { LocalMachine, CurrentUser };

// An open key; 0 is no key.
using RegistryKey = uintptr_t;

enum RegistryType : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
};

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeyWrite = 0x20006;
constexpr uint32_t kKeyAllAccess = 0xF003F;
constexpr int32_t kErrorSuccess = 0;
constexpr int32_t kErrorFileNotFound = 2;
constexpr int32_t kErrorMoreData = 234;

// RegOpenKeyExA(root, subKey, 0, access, &key).
int32_t RegistryOpenKey(RootKey root, const char* subKey, uint32_t access, RegistryKey& key);

// RegQueryValueExA. `type` may be null. `data` may be null to ask only the size. On entry *size is the buffer's
// size in bytes; on return the bytes stored (or, with kErrorMoreData, the bytes needed).
int32_t RegistryQueryValue(RegistryKey key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size);

// RegSetValueExA(key, name, 0, type, data, size).
int32_t RegistrySetValue(RegistryKey key, const char* name, uint32_t type, const uint8_t* data, uint32_t size);

// RegDeleteValueA.
int32_t RegistryDeleteValue(RegistryKey key, const char* name);

// RegCloseKey. Closing 0 does nothing.
void RegistryCloseKey(RegistryKey key);

// Owns an open key and closes it when it goes out of scope.
class UniqueRegistryKey {
public:
    UniqueRegistryKey() = default;
    explicit UniqueRegistryKey(RegistryKey key) : key_(key) {}
    ~UniqueRegistryKey() { RegistryCloseKey(key_); }
    UniqueRegistryKey(const UniqueRegistryKey&) = delete;
    UniqueRegistryKey& operator=(const UniqueRegistryKey&) = delete;

    // Opens root\subKey; true on success. Any key held before is closed first.
    bool open(RootKey root, const char* subKey, uint32_t access) {
        reset();
        return RegistryOpenKey(root, subKey, access, key_) == kErrorSuccess;
    }
    RegistryKey get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }
    void reset() {
        RegistryCloseKey(key_);
        key_ = 0;
    }

private:
    RegistryKey key_ = 0;
};

}  // namespace platform
