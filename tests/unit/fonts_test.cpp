// UpdateFont and its steps against the fake font system and registry, with real files in a throwaway folder.
#include "installer/fonts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "installer/exports.h"
#include "tests/fakes/fake_fonts.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_registry.h"

namespace {

using platform::RootKey;
using Log = std::vector<std::string>;

constexpr const char* kNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr const char* k9xKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr const char* kFace = "Tarvelon Test Sans";
constexpr const char* kValue = "Tarvelon Test Sans (TrueType)";

// A font file the reader understands: one "head" record, its table, then `padding` bytes of glyph-like data.
std::string FontBytes(uint32_t revision, size_t padding = 64) {
    std::string bytes = {0, 1, 0, 0, 0, 1, 0, 0x10, 0, 0, 0, 0};
    bytes += "head";
    bytes += std::string{0, 0, 0, 0, 0, 0, 0, 28, 0, 0, 0, 0x36};
    bytes += std::string{0, 1, 0, 0};
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(revision >> shift);
    for (size_t i = 0; i < padding; ++i) bytes += static_cast<char>(i * 7);
    return bytes;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class UpdateFontTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/updatefont-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        sourceDir_ = root_ + "/source";
        fontsDir_ = root_ + "/fonts";
        fakes::AddKey(RootKey::LocalMachine, kNtKey);
        fakes::AddKey(RootKey::LocalMachine, k9xKey);
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    // The path UpdateFont builds: the folder, one backslash, the name (on Linux, one file of that whole name).
    static std::string Joined(const std::string& dir, const std::string& name) { return dir + "\\" + name; }
    std::string Source(const std::string& name = "a.ttf") const { return Joined(sourceDir_, name); }
    std::string Installed(const std::string& name = "a.ttf") const { return Joined(fontsDir_, name); }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

    // An installed face: its file, its registry value, its resource.
    void InstallOld(uint32_t revision, const std::string& name = "a.ttf") {
        fakes::FontSystem().faces = {"Other Face", kFace};
        WriteFile(Installed(name), FontBytes(revision, 10));
        fakes::SetString(RootKey::LocalMachine, kNtKey, kValue, name);
        fakes::FontSystem().resources[name] = 1;
    }

    int32_t Update(const char* face = kFace, const std::string& file = "a.ttf") {
        return UpdateFont(face, file.c_str(), sourceDir_.c_str(), fontsDir_.c_str());
    }

    Log EnumerationLog(const std::string& face = kFace) const {
        return {"GetScreenDeviceContext()", "EnumerateFontFamilies(0xDC, " + Quoted(face) + ", charset 1, pitch 0)",
                "ReleaseScreenDeviceContext(0xDC)"};
    }
    Log InstallLog(const std::string& file = "a.ttf", const std::string& companion = "a.FOT",
                   const std::string& key = kNtKey, const std::string& value = kValue) const {
        const std::string size = std::to_string(file.size() + 1);
        return {"AddFontResourceFile(" + Quoted(Installed(file)) + ")",
                "VersionPlatformId()",
                "RegistryOpenKey(HKLM, " + Quoted(key) + ", 0xF003F)",
                "RegistryDeleteValue(" + Quoted(value) + ")",
                "RegistryCloseKey()",
                "VersionPlatformId()",
                "RegistryOpenKey(HKLM, " + Quoted(key) + ", 0x20006)",
                "RegistrySetValue(" + Quoted(value) + ", 1, " + size + ")",
                "RegistryCloseKey()",
                "CreateScalableFontResourceFile(0, " + Quoted(Installed(companion)) + ", " + Quoted(file) + ", " +
                    Quoted(fontsDir_) + ")",
                "AddFontResourceFile(" + Quoted(Installed(companion)) + ")",
                "BroadcastFontChange()"};
    }
    std::string RegisteredFile(const std::string& key = kNtKey) const {
        auto value = fakes::GetValue(RootKey::LocalMachine, key, kValue);
        if (!value) return "<none>";
        EXPECT_EQ(value->type, platform::kRegSz);
        return std::string(value->bytes.begin(), value->bytes.end());
    }

    void MakeDirs() {
        mkdir(sourceDir_.c_str(), 0700);
        mkdir(fontsDir_.c_str(), 0700);
    }

    std::string root_, sourceDir_, fontsDir_;
};

Log Concat(std::initializer_list<Log> parts) {
    Log all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(UpdateFontTest, FirstInstallationCopiesAddsRegistersAndBroadcastsOnce) {
    fakes::FontSystem().faces = {"Other Face"};
    const std::string font = FontBytes(0x00010000, 9000);
    WriteFile(Source(), font);

    EXPECT_EQ(Update(), 1);

    EXPECT_EQ(fakes::CallLog(),
              Concat({EnumerationLog(),
                      {"IsSameFile(" + Quoted(Source()) + ", " + Quoted(Installed()) + ")",
                       "MoveFileReplacing(" + Quoted(Installed("a.ttf.new")) + ", " + Quoted(Installed()) + ")"},
                      InstallLog()}));
    EXPECT_EQ(ReadFile(Installed()), font);
    EXPECT_FALSE(Exists(Installed("a.ttf.new")));
    EXPECT_EQ(RegisteredFile(), std::string("a.ttf") + '\0');
    EXPECT_EQ(fakes::Registry().openKeys, 0);
    EXPECT_EQ(fakes::FontSystem().openDeviceContexts, 0);
}

TEST_F(UpdateFontTest, GreaterRevisionRemovesTheOldInstallationThenInstallsWithASecondBroadcast) {
    InstallOld(0x00010000);
    const std::string font = FontBytes(0x00020000, 5000);
    WriteFile(Source(), font);

    EXPECT_EQ(Update(), 1);

    EXPECT_EQ(fakes::CallLog(),
              Concat({EnumerationLog(),
                      {"IsSameFile(" + Quoted(Source()) + ", " + Quoted(Installed()) + ")",
                       "RemoveFontResourceFile(\"a.ttf\")",
                       "MoveFileReplacing(" + Quoted(Installed("a.ttf.new")) + ", " + Quoted(Installed()) + ")",
                       "VersionPlatformId()", "RegistryOpenKey(HKLM, " + Quoted(kNtKey) + ", 0xF003F)",
                       "RegistryDeleteValue(" + Quoted(kValue) + ")", "RegistryCloseKey()",
                       "DeleteFontFile(" + Quoted(Installed("a.FOT")) + ")", "BroadcastFontChange()"},
                      InstallLog()}));
    EXPECT_EQ(ReadFile(Installed()), font);
    EXPECT_EQ(RegisteredFile(), std::string("a.ttf") + '\0');
}

TEST_F(UpdateFontTest, ReplacesOnlyWhenTheNewRevisionIsGreaterAsASignedNumber) {
    struct Case {
        const char* name;
        uint32_t installed, offered;
        int32_t expected;
    } cases[] = {
        {"equal", 0x00010000, 0x00010000, 0},
        {"lower", 0x00020000, 0x00018000, 0},
        {"greater", 0x00010000, 0x00010001, 1},
        {"offered negative", 0x00010000, 0x80000000, 0},
        {"installed negative", 0x80000000, 0x00000001, 1},
        {"both negative, offered greater", 0x80000000, 0xFFFFFFFF, 1},
    };
    for (const auto& c : cases) {
        TearDown();  // the folder made for the previous case (or by the fixture)
        fakes::ResetAll();
        SetUp();
        MakeDirs();
        InstallOld(c.installed);
        WriteFile(Source(), FontBytes(c.offered));
        const std::string before = ReadFile(Installed());

        EXPECT_EQ(Update(), c.expected) << c.name;
        if (c.expected == 0) {
            EXPECT_EQ(fakes::CallLog(), EnumerationLog()) << c.name;
            EXPECT_EQ(ReadFile(Installed()), before) << c.name;
            EXPECT_EQ(RegisteredFile(), std::string("a.ttf") + '\0') << c.name;
        } else {
            EXPECT_EQ(ReadFile(Installed()), FontBytes(c.offered)) << c.name;
        }
        TearDown();
    }
}

TEST_F(UpdateFontTest, FaceInstalledFromAnotherFileIsReRegisteredUnderTheNewName) {
    MakeDirs();
    InstallOld(0x00050000, "old.ttf");
    WriteFile(Source(), FontBytes(0x00000100));

    EXPECT_EQ(Update(), 1);  // fonts\a.ttf does not exist: the installed revision counts as 0
    EXPECT_EQ(RegisteredFile(), std::string("a.ttf") + '\0');
    EXPECT_TRUE(Exists(Installed("old.ttf")));
    EXPECT_EQ(ReadFile(Installed()), FontBytes(0x00000100));
}

TEST_F(UpdateFontTest, FaceDifferingOnlyInAsciiCaseCountsAsInstalled) {
    MakeDirs();
    InstallOld(0x00010000);
    fakes::FontSystem().faces = {"TARVELON test SANS"};
    WriteFile(Source(), FontBytes(0x00010000));
    EXPECT_EQ(Update(), 0);
}

TEST_F(UpdateFontTest, EmptyFaceNameNeverCountsAsInstalled) {
    MakeDirs();
    fakes::FontSystem().faces = {"A", "B", kFace};
    WriteFile(Source(), FontBytes(0x00010000));
    EXPECT_EQ(Update(""), 1);
    EXPECT_TRUE(fakes::GetValue(RootKey::LocalMachine, kNtKey, " (TrueType)").has_value());
}

TEST_F(UpdateFontTest, OtherPlatformFamiliesUseTheWindowsKey) {
    MakeDirs();
    fakes::FontSystem().platformId = 1;
    WriteFile(Source(), FontBytes(0x00010000));
    EXPECT_EQ(Update(), 1);
    EXPECT_EQ(RegisteredFile(k9xKey), std::string("a.ttf") + '\0');
    EXPECT_EQ(RegisteredFile(kNtKey), "<none>");
}

TEST_F(UpdateFontTest, CompanionNameAndValueByteCountFollowTheFileName) {
    for (const std::string file : {"a.b.ttf", "ab", "abcdefgh.ttf"}) {
        TearDown();  // the folder made for the previous case (or by the fixture)
        fakes::ResetAll();
        SetUp();
        MakeDirs();
        WriteFile(Source(file), FontBytes(0x00010000));
        const std::string companion = file == "ab" ? "ab.FOT" : file == "a.b.ttf" ? "a.b.FOT" : "abcdefgh.FOT";
        EXPECT_EQ(Update(kFace, file), 1) << file;
        const Log& log = fakes::CallLog();
        const Log install = InstallLog(file, companion);
        ASSERT_GE(log.size(), install.size()) << file;
        EXPECT_EQ(Log(log.end() - static_cast<long>(install.size()), log.end()), install) << file;
        EXPECT_EQ(RegisteredFile(), file + '\0') << file;  // "abcdefgh.ttf": 12 characters stored as 13 bytes
        TearDown();
    }
}

// The staged copy: whatever goes wrong before the new file is complete and in place, the installed font, its
// value and its resources stay as they were, and no staging file is left behind.
class StagedCopyFault : public UpdateFontTest {
protected:
    void SetUp() override {
        UpdateFontTest::SetUp();
        MakeDirs();
    }
    void ExpectOldInstallationUntouched() {
        EXPECT_EQ(ReadFile(Installed()), FontBytes(0x00010000, 10));
        EXPECT_EQ(RegisteredFile(), std::string("a.ttf") + '\0');
        EXPECT_EQ(fakes::FontSystem().resources["a.ttf"], 1);
        EXPECT_FALSE(Exists(Installed("a.ttf.new")));
        for (const auto& call : fakes::CallLog()) {
            EXPECT_EQ(call.find("Registry"), std::string::npos) << call;
            EXPECT_NE(call, "BroadcastFontChange()");
        }
    }
};

TEST_F(StagedCopyFault, DiskFullDuringTheCopyLeavesTheInstalledFont) {
    InstallOld(0x00010000);
    WriteFile(Source(), FontBytes(0x00020000, 64 * 1024));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8192;  // writes past 8 KiB fail as on a full disk
    setrlimit(RLIMIT_FSIZE, &small);
    const int32_t result = Update();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, 0);
    ExpectOldInstallationUntouched();
    EXPECT_EQ(fakes::CallLog().back(), "DeleteFontFile(" + Quoted(Installed("a.ttf.new")) + ")");
}

TEST_F(StagedCopyFault, StagingFileThatCannotBeCreatedLeavesTheInstalledFont) {
    InstallOld(0x00010000);
    WriteFile(Source(), FontBytes(0x00020000));
    mkdir(Installed("a.ttf.new").c_str(), 0700);  // a folder where the staging file would go

    EXPECT_EQ(Update(), 0);
    rmdir(Installed("a.ttf.new").c_str());
    ExpectOldInstallationUntouched();
}

TEST_F(StagedCopyFault, InstalledFileInUseLeavesItAndPutsItsResourceBack) {
    InstallOld(0x00010000);
    WriteFile(Source(), FontBytes(0x00020000));
    fakes::FailNext("MoveFileReplacing");

    EXPECT_EQ(Update(), 0);
    ExpectOldInstallationUntouched();
    const Log& log = fakes::CallLog();
    const Log tail(log.end() - 4, log.end());
    EXPECT_EQ(tail, (Log{"RemoveFontResourceFile(\"a.ttf\")",
                         "MoveFileReplacing(" + Quoted(Installed("a.ttf.new")) + ", " + Quoted(Installed()) + ")",
                         "DeleteFontFile(" + Quoted(Installed("a.ttf.new")) + ")",
                         "AddFontResourceFile(" + Quoted(Installed()) + ")"}));
}

TEST_F(StagedCopyFault, FirstInstallationWhoseCopyFailsInstallsNothing) {
    struct Case {
        const char* name;
        void (*prepare)(const std::string& source);
    } cases[] = {
        {"missing source", [](const std::string&) {}},
        {"unreadable source (a folder)", [](const std::string& source) { mkdir(source.c_str(), 0700); }},
    };
    for (const auto& c : cases) {
        TearDown();  // the folder made for the previous case (or by the fixture)
        fakes::ResetAll();
        SetUp();
        fakes::FontSystem().faces = {"Other Face"};
        c.prepare(Source());

        EXPECT_EQ(Update(), 0) << c.name;
        EXPECT_FALSE(Exists(Installed())) << c.name;
        EXPECT_FALSE(Exists(Installed("a.ttf.new"))) << c.name;
        EXPECT_EQ(RegisteredFile(), "<none>") << c.name;
        EXPECT_EQ(fakes::FontSystem().resources.size(), 0u) << c.name;
        TearDown();
    }
}

TEST_F(UpdateFontTest, SourceThatIsTheInstalledFileIsNeitherCopiedNorEmptied) {
    MakeDirs();
    fakes::FontSystem().faces = {"Other Face"};
    const std::string font = FontBytes(0x00010000, 3000);
    WriteFile(Installed(), font);
    // Another spelling of the same file: a hard link, so the texts differ and only the identity matches.
    ASSERT_EQ(link(Installed().c_str(), Source().c_str()), 0);

    EXPECT_EQ(Update(), 1);
    EXPECT_EQ(ReadFile(Installed()), font);
    for (const auto& call : fakes::CallLog()) EXPECT_EQ(call.find("MoveFileReplacing"), std::string::npos);
    EXPECT_EQ(RegisteredFile(), std::string("a.ttf") + '\0');

    // sourceDir equal to fontsDir: the same text, the same outcome.
    fakes::ResetAll();
    fakes::AddKey(RootKey::LocalMachine, kNtKey);
    EXPECT_EQ(UpdateFont(kFace, "a.ttf", fontsDir_.c_str(), fontsDir_.c_str()), 1);
    EXPECT_EQ(ReadFile(Installed()), font);
}

TEST_F(UpdateFontTest, TooLongInputsAreRefusedWithoutAnyChange) {
    MakeDirs();
    fakes::FontSystem().faces = {"Other Face"};
    const std::string face31(31, 'F'), face32(32, 'F');
    const size_t room = 259 - fontsDir_.size() - 1;  // characters left for fileName in installedPath
    const std::string longest(room - 4, 'n');        // with ".new" the staging path is exactly 259
    const std::string tooLong(room - 3, 'n');
    const std::string longDir = sourceDir_ + "/" + std::string(259 - sourceDir_.size(), 'd');
    struct Case {
        const char* name;
        std::string face, file, source;
        int32_t expected;
    } cases[] = {
        {"face of 32 characters", face32, "a.ttf", sourceDir_, 0},
        {"face of 31 characters", face31, "a.ttf", sourceDir_, 1},
        {"installed paths at the limit", kFace, longest, sourceDir_, 1},
        {"installed paths one over", kFace, tooLong, sourceDir_, 0},
        {"source path over 259", kFace, "s.ttf", longDir, 0},
    };
    for (const auto& c : cases) {
        fakes::ResetAll();
        fakes::AddKey(RootKey::LocalMachine, kNtKey);
        WriteFile(Joined(c.source, c.file), FontBytes(0x00010000));
        EXPECT_EQ(UpdateFont(c.face.c_str(), c.file.c_str(), c.source.c_str(), fontsDir_.c_str()), c.expected)
            << c.name;
        if (c.expected == 0) {
            EXPECT_TRUE(fakes::CallLog().empty()) << c.name;
            EXPECT_FALSE(Exists(Installed(c.file))) << c.name;
        }
    }
    EXPECT_EQ(UpdateFont(nullptr, "a.ttf", sourceDir_.c_str(), fontsDir_.c_str()), 0);
}

TEST(MatchFaceCallback, FoldsOnlyAsciiLettersAndStopsAtTheFirstMatch) {
    struct Case {
        const char* enumerated;
        const char* wanted;
        int32_t expected;
    } cases[] = {
        {"Arial", "Arial", 0},          {"Arial", "aRIAL", 0},         {"Arial", "Arial ", 1},
        {"Arial", "Aria", 1},           {"", "", 0},                   {"x", "", 1},
        {"\xC9t\xE9", "\xE9T\xE9", 1},  {"\xC9t\xE9", "\xC9T\xE9", 0}, {"A[", "a{", 1},
    };
    for (const auto& c : cases) {
        platform::LogFont font{};
        std::strncpy(font.lfFaceName, c.enumerated, sizeof font.lfFaceName - 1);
        EXPECT_EQ(MatchFaceCallback(&font, nullptr, 4, reinterpret_cast<intptr_t>(c.wanted)), c.expected)
            << c.enumerated << " / " << c.wanted;
    }
    // A face field filled to its last byte without a zero is compared within its 32 bytes only.
    platform::LogFont full;
    std::memset(full.lfFaceName, 'Q', sizeof full.lfFaceName);
    const std::string thirtyTwo(32, 'q');
    EXPECT_EQ(MatchFaceCallback(&full, nullptr, 4, reinterpret_cast<intptr_t>(thirtyTwo.c_str())), 0);
}

TEST(CompanionPath, ReplacesTheLastExtensionKeepingDoubleByteCharactersWhole) {
    struct Case {
        const char* path;
        std::set<uint8_t> leadBytes;
        const char* expected;
    } cases[] = {
        {"C:\\Windows\\Fonts\\a.ttf", {}, "C:\\Windows\\Fonts\\a.FOT"},
        {"C:\\Windows\\Fonts\\a.b.ttf", {}, "C:\\Windows\\Fonts\\a.b.FOT"},
        {"C:\\Windows\\Fonts\\ab", {}, "C:\\Windows\\Fonts\\ab.FOT"},
        {"C:\\my.fonts\\ab", {}, "C:\\my.fonts\\ab.FOT"},
        {"C:/my.fonts/ab", {}, "C:/my.fonts/ab.FOT"},
        {"C:a.ttf", {}, "C:a.FOT"},
        // 0x95 0x5C is one character in code page 932: its second byte is no folder separator.
        {"C:\\F\\x.y\x95\x5Cz", {0x95}, "C:\\F\\x.FOT"},
        {"C:\\F\\x.y\x95\x5Cz", {}, "C:\\F\\x.y\x95\x5Cz.FOT"},
    };
    for (const auto& c : cases) {
        fakes::FontSystem().leadBytes = c.leadBytes;
        char companion[260];
        ASSERT_TRUE(MakeCompanionPath(c.path, companion, sizeof companion)) << c.path;
        EXPECT_STREQ(companion, c.expected) << c.path;
    }
    char small[10];
    EXPECT_FALSE(MakeCompanionPath("C:\\abc", small, sizeof small));  // "C:\abc.FOT" needs 11 bytes
    EXPECT_TRUE(MakeCompanionPath("C:\\ab", small, sizeof small));    // "C:\ab.FOT" fits exactly
}

class CopyFontFileTest : public UpdateFontTest {};

TEST_F(CopyFontFileTest, CopiesEverySizeExactlyAndLeavesTheDestinationWhenTheSourceIsMissing) {
    MakeDirs();
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{4097}, size_t{3 * 4096}}) {
        std::string bytes;
        for (size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 31) ^ (i >> 8));
        WriteFile(root_ + "/in", bytes);
        EXPECT_TRUE(CopyFontFile((root_ + "/in").c_str(), (root_ + "/out").c_str())) << size;
        EXPECT_EQ(ReadFile(root_ + "/out"), bytes) << size;
    }
    WriteFile(root_ + "/kept", "keep me");
    EXPECT_FALSE(CopyFontFile((root_ + "/missing").c_str(), (root_ + "/kept").c_str()));
    EXPECT_EQ(ReadFile(root_ + "/kept"), "keep me");
}

TEST(FontValue, NothingIsWrittenWhenTheKeyCannotBeOpened) {
    fakes::AddKey(RootKey::LocalMachine, kNtKey);
    fakes::FailNext("RegistryOpenKey", 2);
    SetFontValue(kValue, "a.ttf");
    EXPECT_EQ(fakes::CallLog(), (Log{"VersionPlatformId()", "RegistryOpenKey(HKLM, " + Quoted(kNtKey) + ", 0xF003F)",
                                     "VersionPlatformId()",
                                     "RegistryOpenKey(HKLM, " + Quoted(kNtKey) + ", 0x20006)"}));
    EXPECT_FALSE(fakes::GetValue(RootKey::LocalMachine, kNtKey, kValue).has_value());
}

}  // namespace
