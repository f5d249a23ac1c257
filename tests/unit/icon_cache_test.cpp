// ForceIconCacheRebuild against the fake registry: the exact sequence of calls, the temporary "100" while the
// windows handle the first announcement, and the user's setting exactly as it was afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "installer/exports.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_window_messages.h"

namespace {

using platform::RootKey;

const std::string kKey = "Control Panel\\desktop\\WindowMetrics";
const std::string kValue = "Shell Icon Size";
const std::string kOpen = "RegistryOpenKey(HKCU, \"Control Panel\\desktop\\WindowMetrics\", 0x20007)";
const std::string kAnnounce = "BroadcastSettingChange(0x2E, \"WindowMetrics\")";

std::optional<fakes::RegistryValue> IconSize() { return fakes::GetValue(RootKey::CurrentUser, kKey, kValue); }

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

class IconCache : public testing::Test {
protected:
    void SetUp() override {
        fakes::AddKey(RootKey::CurrentUser, kKey);
        fakes::WindowMessages().onSettingChange = [this](uint32_t, const char*) {
            seen.push_back(IconSize());
            EXPECT_EQ(fakes::Registry().openKeys, 0) << "announced with the key open";
        };
    }
    void TearDown() override { EXPECT_EQ(fakes::Registry().openKeys, 0); }

    std::vector<std::optional<fakes::RegistryValue>> seen;
};

TEST_F(IconCache, WritesTheTemporarySizeAnnouncesAndRestoresTheText) {
    fakes::SetString(RootKey::CurrentUser, kKey, kValue, "32");
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{
                                    kOpen,
                                    "RegistryQueryValue(\"Shell Icon Size\", 512)",
                                    "RegistrySetValue(\"Shell Icon Size\", 1, 4)",
                                    "RegistryCloseKey()",
                                    kAnnounce,
                                    kOpen,
                                    "RegistrySetValue(\"Shell Icon Size\", 1, 3)",
                                    "RegistryCloseKey()",
                                    kAnnounce,
                                }));
    ASSERT_EQ(seen.size(), 2u);
    ASSERT_TRUE(seen[0]);
    EXPECT_EQ(seen[0]->type, platform::kRegSz);
    EXPECT_EQ(seen[0]->bytes, Bytes(std::string("100", 4)));
    ASSERT_TRUE(IconSize());
    EXPECT_EQ(IconSize()->type, platform::kRegSz);
    EXPECT_EQ(IconSize()->bytes, Bytes(std::string("32", 3)));
    EXPECT_EQ(seen[1]->bytes, IconSize()->bytes);
}

TEST_F(IconCache, EveryKindOfSettingEndsAsItWas) {
    struct Case {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> bytes;
        uint32_t restoredType;  // as the value reads afterwards
        std::string restoreCall;
    };
    const std::string longest(511, '7');
    const Case cases[] = {
        {"REG_SZ text", platform::kRegSz, Bytes(std::string("48", 3)), platform::kRegSz,
         "RegistrySetValue(\"Shell Icon Size\", 1, 3)"},
        {"REG_EXPAND_SZ text comes back as REG_SZ", platform::kRegExpandSz, Bytes(std::string("48", 3)),
         platform::kRegSz, "RegistrySetValue(\"Shell Icon Size\", 1, 3)"},
        {"text of 511 characters fills the 512 bytes", platform::kRegSz, Bytes(longest + '\0'), platform::kRegSz,
         "RegistrySetValue(\"Shell Icon Size\", 1, 512)"},
        {"an empty text", platform::kRegSz, Bytes(std::string("", 1)), platform::kRegSz,
         "RegistrySetValue(\"Shell Icon Size\", 1, 1)"},
        {"text without a terminating zero", platform::kRegSz, Bytes("32"), platform::kRegSz,
         "RegistrySetValue(\"Shell Icon Size\", 1, 2)"},
        {"text with a zero inside", platform::kRegSz, Bytes(std::string("32\0x", 5)), platform::kRegSz,
         "RegistrySetValue(\"Shell Icon Size\", 1, 5)"},
        {"text longer than 512 bytes", platform::kRegSz, Bytes(std::string(600, '9') + '\0'), platform::kRegSz,
         "RegistrySetValue(\"Shell Icon Size\", 1, 601)"},
        {"REG_BINARY", platform::kRegBinary, {0x20, 0x00, 0xFF}, platform::kRegBinary,
         "RegistrySetValue(\"Shell Icon Size\", 3, 3)"},
        {"REG_DWORD", platform::kRegDword, {32, 0, 0, 0}, platform::kRegDword,
         "RegistrySetValue(\"Shell Icon Size\", 4, 4)"},
        {"REG_BINARY longer than 512 bytes", platform::kRegBinary, std::vector<uint8_t>(2000, 0xAB),
         platform::kRegBinary, "RegistrySetValue(\"Shell Icon Size\", 3, 2000)"},
        {"REG_NONE with no bytes", platform::kRegNone, {}, platform::kRegNone,
         "RegistrySetValue(\"Shell Icon Size\", 0, 0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::CallLog().clear();
        seen.clear();
        fakes::SetValue(RootKey::CurrentUser, kKey, kValue, c.type, c.bytes);
        EXPECT_EQ(ForceIconCacheRebuild(), 0);
        ASSERT_TRUE(IconSize());
        EXPECT_EQ(IconSize()->type, c.restoredType);
        EXPECT_EQ(IconSize()->bytes, c.bytes);
        ASSERT_EQ(seen.size(), 2u);
        ASSERT_TRUE(seen[0]);
        EXPECT_EQ(seen[0]->bytes, Bytes(std::string("100", 4)));
        const auto& log = fakes::CallLog();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 3], c.restoreCall);
    }
}

TEST_F(IconCache, AnAbsentValueIsDeletedAgain) {
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_FALSE(IconSize());
    ASSERT_EQ(seen.size(), 2u);
    ASSERT_TRUE(seen[0]);
    EXPECT_FALSE(seen[1]);
    const auto& log = fakes::CallLog();
    EXPECT_EQ(std::vector<std::string>(log.begin() + 5, log.end()),
              (std::vector<std::string>{kOpen, "RegistryDeleteValue(\"Shell Icon Size\")", "RegistryCloseKey()",
                                        kAnnounce}));
}

TEST_F(IconCache, AKeyThatCannotBeOpenedIsNeverUsed) {
    fakes::Registry().keys.clear();
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{kOpen, kAnnounce, kAnnounce}));

    fakes::AddKey(RootKey::CurrentUser, kKey);
    fakes::SetString(RootKey::CurrentUser, kKey, kValue, "32");
    fakes::CallLog().clear();
    fakes::FailNext("RegistryOpenKey", 2);
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{kOpen, kAnnounce, kAnnounce}));
    EXPECT_EQ(IconSize()->bytes, Bytes(std::string("32", 3)));
}

TEST_F(IconCache, ASecondOpenThatFailsSkipsOnlyTheRestore) {
    fakes::SetString(RootKey::CurrentUser, kKey, kValue, "32");
    // Let the first open succeed and the second fail.
    fakes::WindowMessages().onSettingChange = [](uint32_t, const char*) {
        if (fakes::CallLog().size() == 5) fakes::FailNext("RegistryOpenKey");
    };
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_EQ(fakes::CallLog().size(), 7u);
    EXPECT_EQ(fakes::CallLog()[5], kOpen);
    EXPECT_EQ(fakes::CallLog()[6], kAnnounce);
}

TEST_F(IconCache, ASettingThatCannotBeReadIsLeftAlone) {
    fakes::SetValue(RootKey::CurrentUser, kKey, kValue, platform::kRegBinary, {1, 2, 3});
    fakes::FailNext("RegistryQueryValue");
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{kOpen, "RegistryQueryValue(\"Shell Icon Size\", 512)",
                                                          "RegistryCloseKey()", kAnnounce, kAnnounce}));
    EXPECT_EQ(IconSize()->bytes, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(IconCache, AFailingTemporaryWriteStillAnnouncesTwiceAndReturns0) {
    fakes::SetString(RootKey::CurrentUser, kKey, kValue, "32");
    fakes::FailNext("RegistrySetValue");
    EXPECT_EQ(ForceIconCacheRebuild(), 0);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(IconSize()->bytes, Bytes(std::string("32", 3)));
}

}  // namespace
