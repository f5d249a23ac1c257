#include "tests/fakes/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {

RegistryState state;
ResetRegistration reset{[] { state = RegistryState{}; }};

// Open handles map to key names; handle values start high so they never look like small integers.
std::map<platform::RegistryKey, std::string> handles;
platform::RegistryKey nextHandle = 0x1000;
ResetRegistration resetHandles{[] {
    handles.clear();
    nextHandle = 0x1000;
}};

constexpr int32_t kAccessDenied = 5;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Text(const char* text) { return text ? std::string("\"") + text + "\"" : "null"; }

std::map<std::string, RegistryValue>* ValuesOf(platform::RegistryKey key) {
    auto handle = handles.find(key);
    if (handle == handles.end()) return nullptr;
    auto found = state.keys.find(handle->second);
    return found == state.keys.end() ? nullptr : &found->second;
}

}  // namespace

RegistryState& Registry() { return state; }

std::string KeyName(platform::RootKey root, const std::string& subKey) {
    std::string path = Lower(subKey);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return (root == platform::RootKey::LocalMachine ? "HKLM\\" : "HKCU\\") + path;
}

void AddKey(platform::RootKey root, const std::string& subKey) { state.keys[KeyName(root, subKey)]; }

void SetValue(platform::RootKey root, const std::string& subKey, const std::string& name, uint32_t type,
              std::vector<uint8_t> bytes) {
    state.keys[KeyName(root, subKey)][Lower(name)] = RegistryValue{type, std::move(bytes)};
}

void SetDword(platform::RootKey root, const std::string& subKey, const std::string& name, uint32_t value) {
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    SetValue(root, subKey, name, platform::kRegDword, bytes);
}

void SetString(platform::RootKey root, const std::string& subKey, const std::string& name, const std::string& text,
               uint32_t type) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetValue(root, subKey, name, type, bytes);
}

std::optional<RegistryValue> GetValue(platform::RootKey root, const std::string& subKey, const std::string& name) {
    auto key = state.keys.find(KeyName(root, subKey));
    if (key == state.keys.end()) return std::nullopt;
    auto value = key->second.find(Lower(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

}  // namespace fakes

namespace platform {

int32_t RegistryOpenKey(RootKey root, const char* subKey, uint32_t access, RegistryKey& key) {
    const std::string name = fakes::KeyName(root, subKey ? subKey : "");
    fakes::Record(std::string("RegistryOpenKey(") + (root == RootKey::LocalMachine ? "HKLM" : "HKCU") + ", " +
                  fakes::Text(subKey) + ", " + fakes::Hex(access) + ")");
    if (fakes::ShouldFail("RegistryOpenKey")) return fakes::kAccessDenied;
    if (!fakes::state.keys.count(name)) return kErrorFileNotFound;
    key = fakes::nextHandle++;
    fakes::handles[key] = name;
    ++fakes::state.openKeys;
    return kErrorSuccess;
}

int32_t RegistryQueryValue(RegistryKey key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) {
    fakes::Record("RegistryQueryValue(" + fakes::Text(name) + ", " + (size ? std::to_string(*size) : "null") + ")");
    if (fakes::ShouldFail("RegistryQueryValue")) return fakes::kAccessDenied;
    auto* values = fakes::ValuesOf(key);
    if (!values) return 6;  // ERROR_INVALID_HANDLE
    auto value = values->find(fakes::Lower(name ? name : ""));
    if (value == values->end()) return kErrorFileNotFound;
    const uint32_t needed = static_cast<uint32_t>(value->second.bytes.size());
    if (data && (!size || *size < needed)) {
        if (size) *size = needed;
        if (type) *type = value->second.type;
        return kErrorMoreData;
    }
    if (data && needed) std::memcpy(data, value->second.bytes.data(), needed);
    if (size) *size = needed;
    if (type) *type = value->second.type;
    return kErrorSuccess;
}

int32_t RegistrySetValue(RegistryKey key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
    fakes::Record("RegistrySetValue(" + fakes::Text(name) + ", " + std::to_string(type) + ", " +
                  std::to_string(size) + ")");
    if (fakes::ShouldFail("RegistrySetValue")) return fakes::kAccessDenied;
    auto* values = fakes::ValuesOf(key);
    if (!values) return 6;
    (*values)[fakes::Lower(name ? name : "")] =
        fakes::RegistryValue{type, std::vector<uint8_t>(data, data + (data ? size : 0))};
    return kErrorSuccess;
}

int32_t RegistryDeleteValue(RegistryKey key, const char* name) {
    fakes::Record("RegistryDeleteValue(" + fakes::Text(name) + ")");
    if (fakes::ShouldFail("RegistryDeleteValue")) return fakes::kAccessDenied;
    auto* values = fakes::ValuesOf(key);
    if (!values) return 6;
    return values->erase(fakes::Lower(name ? name : "")) ? kErrorSuccess : kErrorFileNotFound;
}

void RegistryCloseKey(RegistryKey key) {
    if (!key) return;
    fakes::Record("RegistryCloseKey()");
    if (fakes::handles.erase(key)) --fakes::state.openKeys;
}

}  // namespace platform
