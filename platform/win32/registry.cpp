#include "platform/registry.h"

#include <windows.h>

namespace platform {

namespace {
HKEY ToHkey(RootKey root) { return root == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }
}  // namespace

int32_t RegistryOpenKey(RootKey root, const char* subKey, uint32_t access, RegistryKey& key) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(ToHkey(root), subKey, 0, access, &opened);
    if (status == ERROR_SUCCESS) key = reinterpret_cast<RegistryKey>(opened);
    return status;
}

int32_t RegistryQueryValue(RegistryKey key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) {
    DWORD valueType = 0;
    DWORD bytes = size ? *size : 0;
    LONG status = RegQueryValueExA(ToHkey(key), name, nullptr, &valueType, data, size ? &bytes : nullptr);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (type) *type = valueType;
        if (size) *size = bytes;
    }
    return status;
}

int32_t RegistrySetValue(RegistryKey key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
    return RegSetValueExA(ToHkey(key), name, 0, type, data, size);
}

int32_t RegistryDeleteValue(RegistryKey key, const char* name) { return RegDeleteValueA(ToHkey(key), name); }

void RegistryCloseKey(RegistryKey key) {
    if (key) RegCloseKey(ToHkey(key));
}

}  // namespace platform
