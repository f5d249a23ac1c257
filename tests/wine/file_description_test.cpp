// GetFileDescription through the export: the module's own description, a system DLL of the prefix, and DLLs
// with version resources built by windres at build time (fixtures\ beside bin\).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/wine_test_support.h"

namespace {

using GetFileDescriptionFn = const char*(WINAPI*)(const char*);

std::string Fixture(const std::string& name) { return winetest::BinDirectory() + "..\\fixtures\\" + name; }

std::string SystemDll(const char* name) {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

// The description in the first listed translation, read directly with the version API.
std::string DescriptionReadDirectly(const std::string& path) {
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    if (!size) return "";
    std::string data(size, '\0');
    WORD* table = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table), &length) ||
        length < 4)
        return "";
    char query[64];
    wsprintfA(query, "\\StringFileInfo\\%04x%04x\\FileDescription", table[0], table[1]);
    char* text = nullptr;
    if (!VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&text), &length)) return "";
    return text;
}

class FileDescription : public testing::Test {
protected:
    void SetUp() override {
        describe = module.lookup<GetFileDescriptionFn>("GetFileDescription");
        ASSERT_NE(describe, nullptr);
    }
    winetest::LoadedModule module{winetest::ModulePath()};
    GetFileDescriptionFn describe = nullptr;
};

TEST_F(FileDescription, TheModuleDescribesItself) {
    EXPECT_STREQ(describe(winetest::ModulePath().c_str()), "Setup Aid installer extension");
}

TEST_F(FileDescription, ASystemDllOfThePrefixGivesItsFirstTranslationsDescription) {
    const std::string kernel = SystemDll("kernel32.dll");
    const std::string direct = DescriptionReadDirectly(kernel);
    ASSERT_FALSE(direct.empty());
    EXPECT_EQ(describe(kernel.c_str()), direct);
}

TEST_F(FileDescription, AnotherLanguageAndCodePageIsFound) {
    EXPECT_STREQ(describe(Fixture("german.dll").c_str()), "Deutsche Beschreibung");
}

TEST_F(FileDescription, EveryFailureGivesTheSameConstantEmptyText) {
    const char* empty = describe(Fixture("missing.dll").c_str());
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    for (const std::string& path : {Fixture("no_translation.dll"), Fixture("later_translation.dll"),
                                    Fixture("empty_description.dll"), Fixture("no_version.dll"),
                                    winetest::BinDirectory() + "missing\\nothing.dll"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(describe(path.c_str()), empty);
    }
    // The fixtures are what they claim to be: the system finds a description in them by other routes.
    EXPECT_EQ(DescriptionReadDirectly(Fixture("empty_description.dll")), "");
    EXPECT_GT(GetFileVersionInfoSizeA(Fixture("later_translation.dll").c_str(), nullptr), 0u);
}

TEST_F(FileDescription, TheFirstTextStaysReadableUntilTheSecondCall) {
    const char* first = describe(winetest::ModulePath().c_str());
    ASSERT_STREQ(first, "Setup Aid installer extension");
    EXPECT_STREQ(describe(Fixture("no_translation.dll").c_str()), "");
    EXPECT_STREQ(first, "Setup Aid installer extension") << "a failed lookup released the held text";
    const char* second = describe(Fixture("german.dll").c_str());
    EXPECT_STREQ(second, "Deutsche Beschreibung");
}

TEST(Modcall, CallsTheThreeShellChoresFromTheShell) {
    const std::string modcall = winetest::BinDirectory() + "modcall.exe";
    const std::string dll = winetest::ModulePath();
    auto run = [&](const std::string& arguments) {
        return winetest::RunProcess(modcall, "modcall \"" + dll + "\" " + arguments);
    };
    EXPECT_EQ(run("GetFileDescription \"s:" + dll + "\"").output, "Setup Aid installer extension\n");
    EXPECT_EQ(run("ForceIconCacheRebuild").output, "0\n");
    auto shortcut = winetest::RunProcess(
        modcall, "modcall --show-text-args \"" + dll + "\" CheckShortCutAndUpdateIfNecessary \"s:" +
                     winetest::BinDirectory() + "missing.lnk\" s:c:\\x.exe s:c:\\y.exe s:c:\\z.lnk");
    EXPECT_EQ(shortcut.exitCode, 0u);
    EXPECT_EQ(shortcut.output.substr(0, 2), "3\n");
}

}  // namespace
