// Makes the shell rebuild its icon cache: the user's shell icon size is set to a temporary value, announced,
// put back exactly as it was, and announced again.
#include <cstring>
#include <new>
#include <vector>

#include "installer/exports.h"
#include "platform/registry.h"
#include "platform/window_messages.h"

namespace {

constexpr char kMetricsKey[] = "Control Panel\\desktop\\WindowMetrics";
constexpr char kIconSizeValue[] = "Shell Icon Size";
constexpr char kMetricsSection[] = "WindowMetrics";
constexpr char kTemporarySize[] = "100";
constexpr uint32_t kMetricsAccess = platform::kKeyQueryValue | platform::kKeyWrite;
constexpr uint32_t kSavedCapacity = 512;
// A value that grows between two reads is read again this many times before it counts as unknown.
constexpr int kWholeReadAttempts = 3;

enum class SavedKind {
    Unknown,  // could not be read: nothing is written, so nothing needs restoring
    Absent,   // restored by deleting the value again
    Text,     // plain text within 512 bytes: restored as REG_SZ with its text
    Bytes,    // anything else: restored byte for byte with its own type
};

struct SavedSetting {
    SavedKind kind = SavedKind::Unknown;
    uint32_t type = platform::kRegNone;
    // The read area, with one byte behind it that is always zero so the saved text never runs past it.
    uint8_t area[kSavedCapacity + 1] = {};
    uint32_t size = 0;
    std::vector<uint8_t> whole;  // a value longer than the area

    const uint8_t* bytes() const { return whole.empty() ? area : whole.data(); }
};

// Text that the temporary "100" may replace and a REG_SZ write with its length plus one gives back unchanged:
// a string type, ended by its only zero byte.
bool IsPlainText(uint32_t type, const uint8_t* data, uint32_t size) {
    if (type != platform::kRegSz && type != platform::kRegExpandSz) return false;
    return size >= 1 && data[size - 1] == 0 && std::memchr(data, 0, size - 1) == nullptr;
}

// Reads a value longer than the area into storage of its own size.
void ReadWhole(platform::RegistryKey key, uint32_t size, SavedSetting& saved) {
    try {
        for (int attempt = 0; attempt < kWholeReadAttempts; ++attempt) {
            saved.whole.assign(size, 0);
            uint32_t type = platform::kRegNone;
            const int32_t status = platform::RegistryQueryValue(key, kIconSizeValue, &type, saved.whole.data(), &size);
            if (status == platform::kErrorSuccess) {
                saved.whole.resize(size);
                saved.type = type;
                saved.size = size;
                saved.kind = SavedKind::Bytes;
                return;
            }
            if (status != platform::kErrorMoreData) break;
        }
    } catch (const std::bad_alloc&) {
    }
    saved.whole.clear();
    saved.kind = SavedKind::Unknown;
}

SavedSetting ReadIconSize(platform::RegistryKey key) {
    SavedSetting saved;
    uint32_t size = kSavedCapacity;
    const int32_t status = platform::RegistryQueryValue(key, kIconSizeValue, &saved.type, saved.area, &size);
    saved.area[kSavedCapacity] = 0;
    if (status == platform::kErrorFileNotFound) {
        saved.kind = SavedKind::Absent;
    } else if (status == platform::kErrorSuccess) {
        saved.size = size;
        saved.kind = IsPlainText(saved.type, saved.area, size) ? SavedKind::Text : SavedKind::Bytes;
    } else if (status == platform::kErrorMoreData) {
        ReadWhole(key, size, saved);
    }
    return saved;
}

void WriteText(platform::RegistryKey key, const char* text) {
    platform::RegistrySetValue(key, kIconSizeValue, platform::kRegSz, reinterpret_cast<const uint8_t*>(text),
                               static_cast<uint32_t>(std::strlen(text) + 1));
}

void RestoreIconSize(platform::RegistryKey key, const SavedSetting& saved) {
    switch (saved.kind) {
        case SavedKind::Text: WriteText(key, reinterpret_cast<const char*>(saved.area)); break;
        case SavedKind::Bytes:
            platform::RegistrySetValue(key, kIconSizeValue, saved.type, saved.bytes(), saved.size);
            break;
        case SavedKind::Absent: platform::RegistryDeleteValue(key, kIconSizeValue); break;
        case SavedKind::Unknown: break;
    }
}

void AnnounceIconMetrics() { platform::BroadcastSettingChange(platform::kSpiSetIconMetrics, kMetricsSection); }

}  // namespace

extern "C" int32_t SETUPAID_STDCALL ForceIconCacheRebuild() {
    SavedSetting saved;
    {
        platform::UniqueRegistryKey key;
        if (key.open(platform::RootKey::CurrentUser, kMetricsKey, kMetricsAccess)) {
            saved = ReadIconSize(key.get());
            // A setting that could not be read could not be put back: it is left alone.
            if (saved.kind != SavedKind::Unknown) WriteText(key.get(), kTemporarySize);
        }
    }
    AnnounceIconMetrics();
    if (saved.kind != SavedKind::Unknown) {
        platform::UniqueRegistryKey key;
        if (key.open(platform::RootKey::CurrentUser, kMetricsKey, kMetricsAccess)) RestoreIconSize(key.get(), saved);
    }
    AnnounceIconMetrics();
    return 0;
}
