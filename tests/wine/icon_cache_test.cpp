// ForceIconCacheRebuild through the export, against the prefix's own HKEY_CURRENT_USER: the shell icon size
// reads the same afterwards, and, where a window can be created, a window of this thread sees "100" while the
// first announcement is handled.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/wine_test_support.h"

namespace {

using ForceIconCacheRebuildFn = int32_t(WINAPI*)();

const char kKey[] = "Control Panel\\desktop\\WindowMetrics";
const char kValue[] = "Shell Icon Size";

struct Value {
    DWORD type;
    std::vector<BYTE> bytes;
    bool operator==(const Value& other) const { return type == other.type && bytes == other.bytes; }
};

std::optional<Value> ReadIconSize() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    Value value{0, std::vector<BYTE>(4096)};
    DWORD size = static_cast<DWORD>(value.bytes.size());
    LONG status = RegQueryValueExA(key, kValue, nullptr, &value.type, value.bytes.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.bytes.resize(size);
    return value;
}

void WriteIconSize(const std::optional<Value>& value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value)
        RegSetValueExA(key, kValue, 0, value->type, value->bytes.data(), static_cast<DWORD>(value->bytes.size()));
    else
        RegDeleteValueA(key, kValue);
    RegCloseKey(key);
}

Value Text(const std::string& text) { return Value{REG_SZ, std::vector<BYTE>(text.begin(), text.end() + 1)}; }

// What the value read each time a window of this thread handled WM_SETTINGCHANGE for the icon metrics.
std::vector<std::optional<Value>> seenByWindow;

LRESULT CALLBACK WatchSettings(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETICONMETRICS && lParam &&
        std::string(reinterpret_cast<const char*>(lParam)) == "WindowMetrics")
        seenByWindow.push_back(ReadIconSize());
    return DefWindowProcA(window, message, wParam, lParam);
}

class IconCache : public testing::Test {
protected:
    void SetUp() override {
        saved = ReadIconSize();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WatchSettings;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SetupAidSettingWatcher";
        RegisterClassA(&windowClass);
        window = CreateWindowA("SetupAidSettingWatcher", "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        seenByWindow.clear();
        rebuild = module.lookup<ForceIconCacheRebuildFn>("ForceIconCacheRebuild");
        ASSERT_NE(rebuild, nullptr);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        WriteIconSize(saved);
    }

    winetest::LoadedModule module{winetest::ModulePath()};
    ForceIconCacheRebuildFn rebuild = nullptr;
    std::optional<Value> saved;
    HWND window = nullptr;
};

TEST_F(IconCache, EachKindOfSettingReadsTheSameAfterwards) {
    struct Case {
        const char* what;
        std::optional<Value> before;
    };
    const Case cases[] = {
        {"the text 32", Text("32")},
        {"absent", std::nullopt},
        {"REG_BINARY", Value{REG_BINARY, {0x20, 0x00, 0xFF, 0x7F}}},
        {"text longer than 512 bytes", Text(std::string(700, '4'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteIconSize(c.before);
        ASSERT_EQ(ReadIconSize(), c.before);
        seenByWindow.clear();
        EXPECT_EQ(rebuild(), 0);
        EXPECT_EQ(ReadIconSize(), c.before);
        if (window) {
            ASSERT_EQ(seenByWindow.size(), 2u);
            EXPECT_EQ(seenByWindow[0], Text("100"));
            EXPECT_EQ(seenByWindow[1], c.before);
        }
    }
    // Without a display Wine creates no windows: then only the fakes show the value during the announcement.
    if (!window) std::printf("note: no window could be created; the announcements were not watched\n");
}

TEST_F(IconCache, ExpandableTextComesBackAsPlainText) {
    Value expandable = Text("48");
    expandable.type = REG_EXPAND_SZ;
    WriteIconSize(expandable);
    EXPECT_EQ(rebuild(), 0);
    EXPECT_EQ(ReadIconSize(), Text("48"));
}

}  // namespace
