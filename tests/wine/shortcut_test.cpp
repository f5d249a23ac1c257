// CheckShortCutAndUpdateIfNecessary through the export, on links made at test time in a folder of their own.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/wine/wine_test_support.h"

namespace {

using CheckShortCutFn = int32_t(WINAPI*)(const char*, char*, const char*, const char*);

// Targets whose long names are their short (8.3) names, so the comparison is the same on Windows and Wine.
const char kOldTarget[] = "C:\\windows\\notepad.exe";
const char kNewTarget[] = "C:\\windows\\regedit.exe";

template <typename Interface>
struct ComReference {
    Interface* pointer = nullptr;
    ~ComReference() {
        if (pointer) pointer->Release();
    }
    void** slot() { return reinterpret_cast<void**>(&pointer); }
};

std::wstring Wide(const std::string& text) {
    wchar_t buffer[MAX_PATH * 2];
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, MAX_PATH * 2);
    return buffer;
}

bool CreateLink(const std::string& path, const char* target) {
    ComReference<IShellLinkA> link;
    ComReference<IPersistFile> file;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.slot())) &&
           SUCCEEDED(link.pointer->SetPath(target)) &&
           SUCCEEDED(link.pointer->QueryInterface(IID_IPersistFile, file.slot())) &&
           SUCCEEDED(file.pointer->Save(Wide(path).c_str(), TRUE));
}

// The target a link file names, as the shell reads it back; empty when it is no loadable link.
std::string LinkTarget(const std::string& path) {
    ComReference<IShellLinkA> link;
    ComReference<IPersistFile> file;
    char target[MAX_PATH] = {};
    WIN32_FIND_DATAA findData;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.slot())) ||
        FAILED(link.pointer->QueryInterface(IID_IPersistFile, file.slot())) ||
        FAILED(file.pointer->Load(Wide(path).c_str(), STGM_READ)) ||
        FAILED(link.pointer->GetPath(target, MAX_PATH, &findData, SLGP_RAWPATH)))
        return "";
    return target;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Shortcut : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        folder = std::string(temp) + "setupaid_links_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(++serial) + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        oldLink = folder + "Old App.lnk";
        newLink = folder + "New App.lnk";
        ASSERT_TRUE(CreateLink(oldLink, kOldTarget));
        oldBytes = FileBytes(oldLink);
        check = module.lookup<CheckShortCutFn>("CheckShortCutAndUpdateIfNecessary");
        ASSERT_NE(check, nullptr);
    }
    void TearDown() override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileA((folder + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
        CoUninitialize();
    }

    int32_t Call(const std::string& linkPath, std::string& expected, const std::string& newTarget,
                 const std::string& newLinkPath) {
        std::vector<char> writable(expected.begin(), expected.end());
        writable.push_back('\0');
        const int32_t result = check(linkPath.c_str(), writable.data(), newTarget.c_str(), newLinkPath.c_str());
        expected = writable.data();
        return result;
    }

    void ExpectOldLinkUntouchedAndNoNewOne() {
        EXPECT_EQ(FileBytes(oldLink), oldBytes);
        EXPECT_FALSE(Exists(newLink));
    }

    winetest::LoadedModule module{winetest::ModulePath()};
    CheckShortCutFn check = nullptr;
    std::string folder, oldLink, newLink, oldBytes;
};

TEST_F(Shortcut, RetargetsSavesUnderTheNewNameAndDeletesTheOldFile) {
    ASSERT_EQ(LinkTarget(oldLink), kOldTarget);
    std::string expected = "c:\\WINDOWS\\Notepad.exe";
    EXPECT_EQ(Call(oldLink, expected, kNewTarget, newLink), 0);
    EXPECT_EQ(expected, "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_FALSE(Exists(oldLink));
    EXPECT_EQ(LinkTarget(newLink), kNewTarget);
}

TEST_F(Shortcut, AMismatchingTargetChangesNoFile) {
    struct Case {
        const char* what;
        std::string expected;
        int32_t result;
        std::string expectedAfter;
    };
    const Case cases[] = {
        {"another length", "C:\\windows\\notepad2.exe", 1, "C:\\windows\\notepad2.exe"},
        {"same length, other text", "c:\\windows\\wordpad.exe", 2, "C:\\WINDOWS\\WORDPAD.EXE"},
        {"empty", "", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string expected = c.expected;
        EXPECT_EQ(Call(oldLink, expected, kNewTarget, newLink), c.result);
        EXPECT_EQ(expected, c.expectedAfter);
        ExpectOldLinkUntouchedAndNoNewOne();
    }
}

TEST_F(Shortcut, AMissingOrNonLinkFileYields3) {
    const std::string text = folder + "notes.lnk";
    std::ofstream(text, std::ios::binary) << "this is no shell link\n";
    const std::string tooLong = folder + std::string(300, 'a') + ".lnk";
    for (const std::string& linkPath : {folder + "missing.lnk", text, tooLong}) {
        SCOPED_TRACE(linkPath);
        std::string expected = kOldTarget;
        EXPECT_EQ(Call(linkPath, expected, kNewTarget, newLink), 3);
        EXPECT_EQ(expected, kOldTarget);
    }
    EXPECT_EQ(FileBytes(text), "this is no shell link\n");
    ExpectOldLinkUntouchedAndNoNewOne();
}

TEST_F(Shortcut, SavingOverTheSameFileKeepsTheLink) {
    // Three texts for one file: the same text, other letter case, and a detour through "." and "..".
    const std::string detour = folder + ".\\sub\\..\\Old App.lnk";
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    std::string upper = oldLink;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const char* targets[] = {kNewTarget, "C:\\windows\\winhlp32.exe", "C:\\windows\\explorer.exe"};
    const std::string paths[] = {oldLink, upper, detour};
    std::string current = kOldTarget;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(paths[i]);
        std::string expected = current;
        EXPECT_EQ(Call(oldLink, expected, targets[i], paths[i]), 0);
        ASSERT_TRUE(Exists(oldLink));
        EXPECT_EQ(LinkTarget(oldLink), targets[i]);
        current = targets[i];
    }
    RemoveDirectoryA((folder + "sub").c_str());
}

TEST_F(Shortcut, AFailedSaveKeepsTheOldLinkAndYields6) {
    std::string expected = kOldTarget;
    EXPECT_EQ(Call(oldLink, expected, kNewTarget, folder + "no such folder\\New App.lnk"), 6);
    ExpectOldLinkUntouchedAndNoNewOne();
    expected = kOldTarget;
    EXPECT_EQ(Call(oldLink, expected, kNewTarget, folder + std::string(300, 'n') + ".lnk"), 6);
    ExpectOldLinkUntouchedAndNoNewOne();
}

TEST_F(Shortcut, ComStaysInitialisedOnTheCallingThread) {
    HRESULT afterwards = E_FAIL;
    int32_t result = -1;
    std::thread caller([&] {
        std::string expected = "C:\\nothing.exe";
        result = Call(oldLink, expected, kNewTarget, newLink);
        afterwards = CoInitialize(nullptr);
        CoUninitialize();
        CoUninitialize();
    });
    caller.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(afterwards, S_FALSE);
}

TEST_F(Shortcut, AThreadInTheMultithreadedApartmentYields5) {
    int32_t result = -1;
    std::thread caller([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        std::string expected = kOldTarget;
        result = Call(oldLink, expected, kNewTarget, newLink);
        CoUninitialize();
    });
    caller.join();
    EXPECT_EQ(result, 5);
    ExpectOldLinkUntouchedAndNoNewOne();
}

}  // namespace
