// An in-memory registry: keys by root and path (compared without ASCII case, a trailing '\' ignored), values
// with their types and bytes. Keys must be added to exist; opening a missing key fails with ERROR_FILE_NOT_FOUND.
// Injected failures: "RegistryOpenKey", "RegistryQueryValue", "RegistrySetValue", "RegistryDeleteValue" (each
// returns ERROR_ACCESS_DENIED, 5, and changes nothing).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace fakes {

struct RegistryValue {
    uint32_t type;
    std::vector<uint8_t> bytes;
};

struct RegistryState {
    // Key: "HKLM\path" or "HKCU\path" in the fake's normal form (see KeyName).
    std::map<std::string, std::map<std::string, RegistryValue>> keys;
    int openKeys = 0;  // keys opened and not yet closed
};

RegistryState& Registry();

// The fake's name for root\subKey, as it appears in the call log and in RegistryState::keys.
std::string KeyName(platform::RootKey root, const std::string& subKey);

void AddKey(platform::RootKey root, const std::string& subKey);
void SetValue(platform::RootKey root, const std::string& subKey, const std::string& name, uint32_t type,
              std::vector<uint8_t> bytes);
void SetDword(platform::RootKey root, const std::string& subKey, const std::string& name, uint32_t value);
void SetString(platform::RootKey root, const std::string& subKey, const std::string& name, const std::string& text,
               uint32_t type = platform::kRegSz);
std::optional<RegistryValue> GetValue(platform::RootKey root, const std::string& subKey, const std::string& name);

}  // namespace fakes
