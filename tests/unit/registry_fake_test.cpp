// The fake registry behaves like the real one where the module depends on it: types kept, sizes reported,
// missing keys and values failing, handles counted.
#include <gtest/gtest.h>

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_registry.h"

namespace {

using platform::RootKey;

TEST(FakeRegistry, KeepsTypesAndReportsSizes) {
    fakes::SetString(RootKey::CurrentUser, "Control Panel\\desktop\\WindowMetrics", "Shell Icon Size", "32");
    platform::UniqueRegistryKey key;
    ASSERT_TRUE(key.open(RootKey::CurrentUser, "control panel\\Desktop\\WindowMetrics\\", platform::kKeyWrite));
    uint32_t type = 0, size = 1;
    uint8_t small[1];
    EXPECT_EQ(platform::RegistryQueryValue(key.get(), "Shell Icon Size", &type, small, &size), platform::kErrorMoreData);
    EXPECT_EQ(size, 3u);
    uint8_t data[8] = {};
    size = sizeof data;
    EXPECT_EQ(platform::RegistryQueryValue(key.get(), "shell icon size", &type, data, &size), platform::kErrorSuccess);
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "32");
    EXPECT_EQ(fakes::Registry().openKeys, 1);
    key.reset();
    EXPECT_EQ(fakes::Registry().openKeys, 0);
}

TEST(FakeRegistry, MissingKeysValuesAndInjectedFailuresChangeNothing) {
    platform::RegistryKey key = 0;
    EXPECT_EQ(platform::RegistryOpenKey(RootKey::LocalMachine, "Software\\Nowhere", 1, key), platform::kErrorFileNotFound);
    EXPECT_EQ(key, 0u);
    fakes::AddKey(RootKey::LocalMachine, "Software\\Here");
    fakes::FailNext("RegistryOpenKey");
    EXPECT_NE(platform::RegistryOpenKey(RootKey::LocalMachine, "Software\\Here", 1, key), platform::kErrorSuccess);
    ASSERT_EQ(platform::RegistryOpenKey(RootKey::LocalMachine, "Software\\Here", 1, key), platform::kErrorSuccess);
    uint32_t size = 4;
    uint8_t data[4];
    EXPECT_EQ(platform::RegistryQueryValue(key, "Absent", nullptr, data, &size), platform::kErrorFileNotFound);
    fakes::FailNext("RegistrySetValue");
    EXPECT_NE(platform::RegistrySetValue(key, "V", platform::kRegDword, data, 4), platform::kErrorSuccess);
    EXPECT_FALSE(fakes::GetValue(RootKey::LocalMachine, "Software\\Here", "V"));
    platform::RegistryCloseKey(key);
    EXPECT_EQ(fakes::CallLog().front(), "RegistryOpenKey(HKLM, \"Software\\Nowhere\", 0x1)");
}

}  // namespace
