#include "tests/fakes/fake_version_info.h"

#include <cstring>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {

VersionInfoState state;
ResetRegistration reset{[] { state = VersionInfoState{}; }};

constexpr size_t kNameArea = 1024;       // the file's name, zero-terminated
constexpr size_t kDatumOffset = kNameArea;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const VersionResource* ResourceOfBlock(const void* block) {
    const char* name = static_cast<const char*>(block);
    auto found = state.files.find(std::string(name, strnlen(name, kNameArea)));
    return found == state.files.end() ? nullptr : &found->second;
}

}  // namespace

VersionInfoState& VersionInfo() { return state; }

}  // namespace fakes

namespace platform {

uint32_t VersionInfoSize(const char* fileName) {
    fakes::Record("VersionInfoSize(\"" + std::string(fileName) + "\")");
    return fakes::state.files.count(fileName) ? fakes::kFakeVersionBlockSize : 0;
}

bool ReadVersionInfo(const char* fileName, uint32_t size, void* block) {
    fakes::Record("ReadVersionInfo(\"" + std::string(fileName) + "\", " + std::to_string(size) + ")");
    auto found = fakes::state.files.find(fileName);
    if (found == fakes::state.files.end() || found->second.readFails || size < fakes::kFakeVersionBlockSize ||
        std::strlen(fileName) >= fakes::kNameArea)
        return false;
    std::memset(block, 0, size);
    std::memcpy(block, fileName, std::strlen(fileName));
    return true;
}

bool QueryVersionValue(const void* block, const char* subBlock, const void*& value, uint32_t& length) {
    fakes::Record("QueryVersionValue(\"" + std::string(subBlock) + "\")");
    const fakes::VersionResource* resource = fakes::ResourceOfBlock(block);
    if (!resource) return false;
    char* datum = const_cast<char*>(static_cast<const char*>(block)) + fakes::kDatumOffset;
    const size_t room = fakes::kFakeVersionBlockSize - fakes::kDatumOffset;
    if (std::string(subBlock) == "\\VarFileInfo\\Translation") {
        if (!resource->hasTranslationTable) return false;
        const size_t bytes = resource->translation.size() * 2;
        if (bytes) std::memcpy(datum, resource->translation.data(), bytes);
        value = datum;
        length = static_cast<uint32_t>(bytes);
        return true;
    }
    // Keys are found without regard to case, as the system finds them.
    for (const auto& entry : resource->strings) {
        if (fakes::Lower(entry.first) != fakes::Lower(subBlock)) continue;
        if (entry.second.size() + 1 > room) return false;
        std::memcpy(datum, entry.second.c_str(), entry.second.size() + 1);
        value = datum;
        length = static_cast<uint32_t>(entry.second.size() + 1);
        return true;
    }
    return false;
}

}  // namespace platform
