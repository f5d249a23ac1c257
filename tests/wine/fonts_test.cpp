// UpdateFont end to end through the real DLL: fixtures made from a real font under a face no system font has,
// installed into a throwaway fonts folder, with the registry value cleaned up after each test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/wine/wine_test_support.h"

namespace {

using UpdateFontFn = int32_t(WINAPI*)(const char*, const char*, const char*, const char*);

constexpr const char* kFace = "Tarvelon Probe Sans";
constexpr const char* kFile = "tarvelon-probe.ttf";
constexpr const char* kValue = "Tarvelon Probe Sans (TrueType)";
constexpr const char* kFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// Made by tests/wine/fonts/make_fixtures.py before the suites run: <build>/font-fixtures/<revision>/.
std::string FixtureDir(const char* revision) { return winetest::BinDirectory() + "..\\font-fixtures\\" + revision; }

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int CALLBACK CountFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM counter) {
    if (lstrcmpiA(font->lfFaceName, kFace) == 0) ++*reinterpret_cast<int*>(counter);
    return 1;
}

bool FaceEnumerated() {
    LOGFONTA request{};
    request.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(request.lfFaceName, kFace, LF_FACESIZE);
    int found = 0;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &request, CountFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found > 0;
}

std::string RegisteredFile() {
    char data[MAX_PATH] = {};
    DWORD size = sizeof data, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<no key>";
    LONG status = RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return "<none>";
    return type == REG_SZ ? std::string(data, size) : "<not REG_SZ>";
}

class UpdateFontUnderWine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FileExists(FixtureDir("1.0") + "\\" + kFile)) << "font fixtures missing";
        ASSERT_FALSE(FaceEnumerated()) << "a font of the probe face is already installed";
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        fontsDir_ = std::string(temp) + "setupaid-fonts-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(fontsDir_.c_str(), nullptr));
        installed_ = fontsDir_ + "\\" + kFile;
        companion_ = fontsDir_ + "\\tarvelon-probe.FOT";
        module_ = std::make_unique<winetest::LoadedModule>(winetest::ModulePath());
        updateFont_ = module_->lookup<UpdateFontFn>("UpdateFont");
        ASSERT_NE(updateFont_, nullptr);
    }
    void TearDown() override {
        while (RemoveFontResourceA(installed_.c_str())) {
        }
        RemoveFontResourceA(companion_.c_str());
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, kValue);
            RegCloseKey(key);
        }
        for (const auto& file : {installed_, companion_, installed_ + ".new"}) DeleteFileA(file.c_str());
        RemoveDirectoryA(fontsDir_.c_str());
    }

    int32_t Update(const char* revision) {
        return updateFont_(kFace, kFile, FixtureDir(revision).c_str(), fontsDir_.c_str());
    }

    std::string fontsDir_, installed_, companion_;
    std::unique_ptr<winetest::LoadedModule> module_;
    UpdateFontFn updateFont_ = nullptr;
};

TEST_F(UpdateFontUnderWine, InstallsThenKeepsEqualAndLowerAndReplacesWithGreater) {
    const std::string v1 = ReadWholeFile(FixtureDir("1.0") + "\\" + kFile);
    const std::string v2 = ReadWholeFile(FixtureDir("2.0") + "\\" + kFile);
    ASSERT_NE(v1, v2);

    ASSERT_EQ(Update("1.0"), 1);
    EXPECT_EQ(ReadWholeFile(installed_), v1);
    EXPECT_EQ(RegisteredFile(), std::string(kFile) + '\0');
    EXPECT_TRUE(FaceEnumerated());
    EXPECT_FALSE(FileExists(installed_ + ".new"));
    if (!FileExists(companion_)) std::printf("note: this system made no .FOT companion\n");

    EXPECT_EQ(Update("1.0"), 0) << "same revision";
    EXPECT_EQ(Update("negative"), 0) << "0x80000000 is below 1.0";
    EXPECT_EQ(ReadWholeFile(installed_), v1);
    EXPECT_EQ(RegisteredFile(), std::string(kFile) + '\0');

    EXPECT_EQ(Update("2.0"), 1);
    EXPECT_EQ(ReadWholeFile(installed_), v2);
    EXPECT_EQ(RegisteredFile(), std::string(kFile) + '\0');
    EXPECT_TRUE(FaceEnumerated());
    EXPECT_FALSE(FileExists(installed_ + ".new"));

    EXPECT_EQ(Update("1.0"), 0) << "lower revision";
    EXPECT_EQ(ReadWholeFile(installed_), v2);
}

TEST_F(UpdateFontUnderWine, FirstInstallationFromAMissingSourceInstallsNothing) {
    EXPECT_EQ(updateFont_(kFace, kFile, (fontsDir_ + "\\nowhere").c_str(), fontsDir_.c_str()), 0);
    EXPECT_FALSE(FileExists(installed_));
    EXPECT_FALSE(FileExists(installed_ + ".new"));
    EXPECT_EQ(RegisteredFile(), "<none>");
    EXPECT_FALSE(FaceEnumerated());
}

TEST_F(UpdateFontUnderWine, SourceFolderThatIsTheFontsFolderKeepsTheFileWhole) {
    const std::string v1 = ReadWholeFile(FixtureDir("1.0") + "\\" + kFile);
    ASSERT_TRUE(CopyFileA((FixtureDir("1.0") + "\\" + kFile).c_str(), installed_.c_str(), FALSE));
    EXPECT_EQ(updateFont_(kFace, kFile, fontsDir_.c_str(), fontsDir_.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(installed_), v1);
    EXPECT_EQ(RegisteredFile(), std::string(kFile) + '\0');
    EXPECT_TRUE(FaceEnumerated());
}

TEST_F(UpdateFontUnderWine, TooLongFaceNameChangesNothing) {
    EXPECT_EQ(updateFont_("Tarvelon Probe Sans Far Too Long Name", kFile, FixtureDir("1.0").c_str(),
                          fontsDir_.c_str()),
              0);
    EXPECT_FALSE(FileExists(installed_));
    EXPECT_EQ(RegisteredFile(), "<none>");
}

}  // namespace
