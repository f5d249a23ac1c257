// The module as an installer meets it: it loads, its exports resolve, the small exports answer, and unloading
// leaves the process's unhandled-exception filter as it found it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/wine/wine_test_support.h"

namespace {

using IsAfterFn = int32_t(WINAPI*)(int32_t, int32_t, int32_t);
using GetActiveCPFn = uint32_t(WINAPI*)();
using RuveEntryFn = int32_t(WINAPI*)(uint32_t, uint32_t, uint32_t);

LONG WINAPI HostFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
LONG WINAPI FilterSetWhileLoaded(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

// Restores the test process's own filter whatever a test did.
class FilterSaver : public testing::Test {
protected:
    void SetUp() override { saved_ = winetest::CurrentProcessFilter(); }
    void TearDown() override { SetUnhandledExceptionFilter(saved_); }
    LPTOP_LEVEL_EXCEPTION_FILTER saved_ = nullptr;
};

SYSTEMTIME LocalDayOffset(int days) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME asFileTime;
    SystemTimeToFileTime(&now, &asFileTime);
    ULARGE_INTEGER ticks{{asFileTime.dwLowDateTime, asFileTime.dwHighDateTime}};
    ticks.QuadPart += static_cast<LONGLONG>(days) * 24 * 60 * 60 * 10000000LL;
    asFileTime.dwLowDateTime = ticks.LowPart;
    asFileTime.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME shifted;
    FileTimeToSystemTime(&asFileTime, &shifted);
    return shifted;
}

TEST(Module, LoadsAndResolvesAllSevenExportsByNameAndOrdinal) {
    winetest::LoadedModule module(winetest::ModulePath());
    ASSERT_NE(module.get(), nullptr) << "LoadLibrary failed with " << GetLastError();
    const char* names[] = {"UpdateFont", "IsAfter", "GetActiveCP", "GetFileDescription", "ForceIconCacheRebuild",
                           "CheckShortCutAndUpdateIfNecessary", "RuveEntry"};
    for (WORD ordinal = 1; ordinal <= 7; ++ordinal) {
        FARPROC byName = GetProcAddress(module.get(), names[ordinal - 1]);
        FARPROC byOrdinal = GetProcAddress(module.get(), MAKEINTRESOURCEA(ordinal));
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, byOrdinal) << names[ordinal - 1] << " is not ordinal " << ordinal;
    }
    EXPECT_EQ(GetProcAddress(module.get(), MAKEINTRESOURCEA(8)), nullptr);
}

TEST(Module, IsAfterComparesWithTheRealLocalDate) {
    winetest::LoadedModule module(winetest::ModulePath());
    auto isAfter = module.lookup<IsAfterFn>("IsAfter");
    ASSERT_NE(isAfter, nullptr);
    const SYSTEMTIME today = LocalDayOffset(0), tomorrow = LocalDayOffset(1), yesterday = LocalDayOffset(-1);
    EXPECT_EQ(isAfter(today.wDay, today.wMonth, today.wYear), 1);
    EXPECT_EQ(isAfter(tomorrow.wDay, tomorrow.wMonth, tomorrow.wYear), 0);
    EXPECT_EQ(isAfter(yesterday.wDay, yesterday.wMonth, yesterday.wYear), 1);
    EXPECT_EQ(isAfter(1, 13, today.wYear), 0);
    EXPECT_EQ(isAfter(31, 0, today.wYear), 1);
}

TEST(Module, GetActiveCPIsTheProcessCodePageAndRuveEntryIsZero) {
    winetest::LoadedModule module(winetest::ModulePath());
    auto getActiveCP = module.lookup<GetActiveCPFn>("GetActiveCP");
    auto ruveEntry = module.lookup<RuveEntryFn>("RuveEntry");
    ASSERT_NE(getActiveCP, nullptr);
    ASSERT_NE(ruveEntry, nullptr);
    EXPECT_EQ(getActiveCP(), GetACP());
    EXPECT_EQ(ruveEntry(1, 2, 3), 0);
}

TEST_F(FilterSaver, UnloadSetsTheFilterThatWasInForceBeforeTheLoad) {
    SetUnhandledExceptionFilter(HostFilter);
    {
        winetest::LoadedModule module(winetest::ModulePath());
        ASSERT_NE(module.get(), nullptr);
    }
    EXPECT_EQ(winetest::CurrentProcessFilter(), &HostFilter);
}

TEST_F(FilterSaver, UnloadWithdrawsAFilterOtherCodeSetWhileTheModuleWasLoaded) {
    SetUnhandledExceptionFilter(HostFilter);
    {
        winetest::LoadedModule module(winetest::ModulePath());
        ASSERT_NE(module.get(), nullptr);
        SetUnhandledExceptionFilter(FilterSetWhileLoaded);
    }
    EXPECT_EQ(winetest::CurrentProcessFilter(), &HostFilter);
}

TEST_F(FilterSaver, UnloadRestoresNoFilterWhenThereWasNone) {
    SetUnhandledExceptionFilter(nullptr);
    {
        winetest::LoadedModule module(winetest::ModulePath());
        ASSERT_NE(module.get(), nullptr);
        SetUnhandledExceptionFilter(FilterSetWhileLoaded);
    }
    EXPECT_EQ(winetest::CurrentProcessFilter(), nullptr);
}

TEST_F(FilterSaver, AThousandLoadsAndUnloadsEachRestoreTheFilter) {
    for (int round = 0; round < 1000; ++round) {
        LPTOP_LEVEL_EXCEPTION_FILTER before = (round % 2) ? HostFilter : nullptr;
        SetUnhandledExceptionFilter(before);
        HMODULE module = LoadLibraryA(winetest::ModulePath().c_str());
        ASSERT_NE(module, nullptr) << "round " << round;
        if (round % 3 == 0) SetUnhandledExceptionFilter(FilterSetWhileLoaded);
        ASSERT_TRUE(FreeLibrary(module)) << "round " << round;
        ASSERT_EQ(GetModuleHandleA("setupaid.dll"), nullptr) << "round " << round << ": still loaded";
        ASSERT_EQ(winetest::CurrentProcessFilter(), before) << "round " << round;
    }
}

TEST(Module, DescribesItselfInItsVersionResource) {
    const std::string path = winetest::ModulePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "Setup Aid");
}

TEST(Modcall, CallsAnExportFromTheShellAndPrintsItsResult) {
    const std::string modcall = winetest::BinDirectory() + "modcall.exe";
    const std::string dll = winetest::ModulePath();
    auto run = [&](const std::string& arguments) {
        return winetest::RunProcess(modcall, "modcall \"" + dll + "\" " + arguments);
    };
    auto isAfter = run("IsAfter i:1 i:1 i:2000");
    EXPECT_EQ(isAfter.exitCode, 0u);
    EXPECT_EQ(isAfter.output, "1\n");
    EXPECT_EQ(run("IsAfter i:1 i:1 i:9999").output, "0\n");
    EXPECT_EQ(run("GetActiveCP").output, std::to_string(GetACP()) + "\n");

    for (const char* bad : {"NoSuchExport", "IsAfter x:1", "IsAfter i:99999999999"}) {
        auto result = run(bad);
        EXPECT_EQ(result.exitCode, 2u) << bad;
        EXPECT_NE(result.output.find("modcall: "), std::string::npos) << bad;
    }
    auto unloadable = winetest::RunProcess(modcall, "modcall \"" + winetest::BinDirectory() + "missing.dll\" X");
    EXPECT_EQ(unloadable.exitCode, 2u);
}

}  // namespace

namespace {

constexpr char kSettingsKey[] = "Software\\Tarvelon Software\\TarvelonDiagnostics\\CrashHandler";

// Sets the crash handler's settings in the test prefix's registry for one test, starting from none and
// removing them afterwards.
class CrashHandlerSettings : public FilterSaver {
protected:
    // Earlier runs in this prefix (the crash hosts among them) may have left settings behind.
    void SetUp() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        FilterSaver::SetUp();
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        FilterSaver::TearDown();
    }
    static void Set(const char* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
};

TEST_F(CrashHandlerSettings, LoadingInstallsTheCrashFilterAndUnloadingWithdrawsIt) {
    SetUnhandledExceptionFilter(HostFilter);
    {
        winetest::LoadedModule module(winetest::ModulePath());
        ASSERT_NE(module.get(), nullptr);
        LPTOP_LEVEL_EXCEPTION_FILTER whileLoaded = winetest::CurrentProcessFilter();
        EXPECT_NE(whileLoaded, &HostFilter);
        EXPECT_NE(whileLoaded, nullptr);
        MEMORY_BASIC_INFORMATION where{};
        VirtualQuery(reinterpret_cast<void*>(whileLoaded), &where, sizeof where);
        EXPECT_EQ(where.AllocationBase, module.get()) << "the filter in force is the module's own";
    }
    EXPECT_EQ(winetest::CurrentProcessFilter(), &HostFilter);
}

TEST_F(CrashHandlerSettings, BothSwitchesOffLeaveTheHostFilterInForce) {
    Set("WriteDump", 0);
    Set("WriteTvd", 0);
    Set("ForceTvd", 1);
    SetUnhandledExceptionFilter(HostFilter);
    winetest::LoadedModule module(winetest::ModulePath());
    ASSERT_NE(module.get(), nullptr);
    EXPECT_EQ(winetest::CurrentProcessFilter(), &HostFilter);
}

}  // namespace
