// CheckShortCutAndUpdateIfNecessary against the fake shell-link object: every way out with its result code, what
// is left on the fake disk, the in-place upper-casing of expectedTarget, and the release order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/exports.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_shell_link.h"

namespace {

const std::string kOldLink = "C:\\Users\\Ann\\Desktop\\App.lnk";
const std::string kNewLink = "C:\\Users\\Ann\\Desktop\\App 2.lnk";
const std::string kOldTarget = "C:\\PROGRA~1\\App\\app.exe";
const std::string kNewTarget = "C:\\Program Files\\App 2\\app.exe";

struct Call {
    std::string linkPath = kOldLink;
    std::string expectedTarget = "c:\\progra~1\\APP\\App.exe";
    std::string newTarget = kNewTarget;
    std::string newLinkPath = kNewLink;
};

struct Outcome {
    int32_t result;
    std::string expectedAfter;  // the caller's expectedTarget after the call
};

Outcome CallExport(Call call) {
    std::vector<char> expected(call.expectedTarget.begin(), call.expectedTarget.end());
    expected.push_back('\0');
    const int32_t result = CheckShortCutAndUpdateIfNecessary(call.linkPath.c_str(), expected.data(),
                                                             call.newTarget.c_str(), call.newLinkPath.c_str());
    return Outcome{result, expected.data()};
}

std::vector<std::string> Tail(size_t count) {
    const auto& log = fakes::CallLog();
    return std::vector<std::string>(log.end() - static_cast<long>(std::min(count, log.size())), log.end());
}

bool Logged(const std::string& prefix) {
    for (const auto& line : fakes::CallLog())
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

class Shortcut : public testing::Test {
protected:
    void SetUp() override { fakes::ShellLinks().linkFiles[kOldLink] = kOldTarget; }
    void TearDown() override { EXPECT_EQ(fakes::ShellLinks().liveReferences, 0) << "an interface was not released"; }

    // The old link untouched and nothing new on disk.
    void ExpectDiskUnchanged() {
        EXPECT_EQ(fakes::ShellLinks().linkFiles.size(), 1u);
        EXPECT_EQ(fakes::ShellLinks().linkFiles[kOldLink], kOldTarget);
        EXPECT_FALSE(Logged("PersistFileSave"));
        EXPECT_FALSE(Logged("DeleteFileAnsi"));
        EXPECT_EQ(fakes::ShellLinks().notifications, 0);
    }
    void ExpectBothReleasedPersistFileFirst() {
        EXPECT_EQ(Tail(2), (std::vector<std::string>{"Release(PersistFile)", "Release(ShellLink)"}));
    }
};

TEST_F(Shortcut, RetargetsSavesUnderTheNewNameDeletesTheOldAndNotifies) {
    const Outcome outcome = CallExport(Call{});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.expectedAfter, "C:\\PROGRA~1\\APP\\APP.EXE");
    EXPECT_EQ(fakes::ShellLinks().linkFiles, (std::map<std::string, std::string>{{kNewLink, kNewTarget}}));
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{
                                    "ComInitialize()",
                                    "CreateShellLink()",
                                    "QueryPersistFile()",
                                    "AnsiToWide(" + std::to_string(kOldLink.size() + 1) + " of 260)",
                                    "PersistFileLoad(\"" + kOldLink + "\", 0)",
                                    "ShellLinkGetPath(260, 1)",
                                    "ShellLinkSetPath(\"" + kNewTarget + "\")",
                                    "AnsiToWide(" + std::to_string(kNewLink.size() + 1) + " of 260)",
                                    "PersistFileSave(\"" + kNewLink + "\", TRUE)",
                                    "NameSameFile(\"" + kOldLink + "\", \"" + kNewLink + "\")",
                                    "DeleteFileAnsi(\"" + kOldLink + "\")",
                                    "NotifyDesktopChanged()",
                                    "Release(PersistFile)",
                                    "Release(ShellLink)",
                                }));
}

TEST_F(Shortcut, ComThatCannotBeInitialisedYields5AndObtainsNothing) {
    fakes::FailNext("ComInitialize");
    EXPECT_EQ(CallExport(Call{}).result, 5);
    EXPECT_EQ(fakes::CallLog(), std::vector<std::string>{"ComInitialize()"});
    ExpectDiskUnchanged();
}

TEST_F(Shortcut, NoShellLinkObjectYields0AndChangesNothing) {
    fakes::FailNext("CreateShellLink");
    const Outcome outcome = CallExport(Call{});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.expectedAfter, Call{}.expectedTarget);
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{"ComInitialize()", "CreateShellLink()"}));
    ExpectDiskUnchanged();
}

TEST_F(Shortcut, NoPersistFileInterfaceYields4AndReleasesTheShellLink) {
    fakes::FailNext("QueryPersistFile");
    EXPECT_EQ(CallExport(Call{}).result, 4);
    EXPECT_EQ(Tail(2), (std::vector<std::string>{"QueryPersistFile()", "Release(ShellLink)"}));
    ExpectDiskUnchanged();
}

TEST_F(Shortcut, LinkThatCannotBeLoadedYields3) {
    struct Case {
        const char* what;
        std::string linkPath;
    };
    fakes::ShellLinks().otherFiles.insert("C:\\notes.txt");
    const Case cases[] = {
        {"no such file", "C:\\Users\\Ann\\Desktop\\Gone.lnk"},
        {"a file that is no link", "C:\\notes.txt"},
        {"a path longer than 259 characters", "C:\\" + std::string(300, 'a') + ".lnk"},
        {"a path of exactly 260 characters", "C:\\" + std::string(253, 'a') + ".lnk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::CallLog().clear();
        Call call;
        call.linkPath = c.linkPath;
        const Outcome outcome = CallExport(call);
        EXPECT_EQ(outcome.result, 3);
        EXPECT_EQ(outcome.expectedAfter, call.expectedTarget);
        ExpectBothReleasedPersistFileFirst();
    }
    EXPECT_FALSE(Logged("PersistFileLoad(\"C:\\aaa")) << "an unterminated path was passed on";
    ExpectDiskUnchanged();
}

TEST_F(Shortcut, ALinkPathOf259CharactersStillFits) {
    const std::string longest = "C:\\" + std::string(252, 'b') + ".lnk";
    ASSERT_EQ(longest.size(), 259u);
    fakes::ShellLinks().linkFiles[longest] = kOldTarget;
    Call call;
    call.linkPath = longest;
    EXPECT_EQ(CallExport(call).result, 0);
    EXPECT_FALSE(fakes::ShellLinks().linkFiles.count(longest));
}

TEST_F(Shortcut, TargetOfAnotherLengthYields1AndLeavesExpectedTargetUntouched) {
    for (const std::string expected : {"c:\\program files\\app\\app.exe", "", "c:\\progra~1\\app\\app.ex"}) {
        SCOPED_TRACE(expected);
        fakes::CallLog().clear();
        Call call;
        call.expectedTarget = expected;
        const Outcome outcome = CallExport(call);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(outcome.expectedAfter, expected);
        ExpectBothReleasedPersistFileFirst();
    }
    ExpectDiskUnchanged();
}

TEST_F(Shortcut, CaseFoldingTouchesOnlyAsciiLetters) {
    struct Case {
        const char* what;
        std::string target;
        std::string expected;
        int32_t result;
        std::string expectedAfter;
    };
    const Case cases[] = {
        {"ASCII case only differs", "C:\\Apps\\Tool.exe", "c:\\apps\\TOOL.EXE", 0, "C:\\APPS\\TOOL.EXE"},
        {"same length, other text: upper-cased all the same", "C:\\Apps\\Tool.exe", "c:\\apps\\tool.com", 2,
         "C:\\APPS\\TOOL.COM"},
        {"bytes from 0x80 differing only in case do not match", "C:\\\xC4pfel\\a.exe", "c:\\\xE4pfel\\a.exe", 2,
         "C:\\\xE4PFEL\\A.EXE"},
        {"bytes from 0x80 that are equal match", "C:\\\xE4pfel\\a.exe", "c:\\\xE4PFEL\\A.exe", 0,
         "C:\\\xE4PFEL\\A.EXE"},
        {"punctuation and digits keep their values", "C:\\[x]{y}@`~1.exe", "c:\\[X]{Y}@`~1.EXE", 0,
         "C:\\[X]{Y}@`~1.EXE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::ResetAll();
        fakes::ShellLinks().linkFiles[kOldLink] = c.target;
        Call call;
        call.expectedTarget = c.expected;
        const Outcome outcome = CallExport(call);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.expectedAfter, c.expectedAfter);
        EXPECT_EQ(fakes::ShellLinks().linkFiles.count(kNewLink), c.result == 0 ? 1u : 0u);
        ExpectBothReleasedPersistFileFirst();
    }
}

TEST_F(Shortcut, EmptyExpectedTargetMatchesALinkWithoutFileSystemTarget) {
    fakes::ShellLinks().linkFiles[kOldLink] = "";
    Call call;
    call.expectedTarget = "";
    EXPECT_EQ(CallExport(call).result, 0);
    EXPECT_EQ(fakes::ShellLinks().linkFiles, (std::map<std::string, std::string>{{kNewLink, kNewTarget}}));
}

TEST_F(Shortcut, FailedTargetReadComparesAsTheEmptyText) {
    fakes::FailNext("ShellLinkGetPath");
    EXPECT_EQ(CallExport(Call{}).result, 1);
    ExpectDiskUnchanged();

    fakes::ResetAll();
    fakes::ShellLinks().linkFiles[kOldLink] = kOldTarget;
    fakes::FailNext("ShellLinkGetPath");
    Call call;
    call.expectedTarget = "";
    EXPECT_EQ(CallExport(call).result, 0);
}

TEST_F(Shortcut, RefusedNewTargetYields1AfterUpperCasing) {
    fakes::FailNext("ShellLinkSetPath");
    const Outcome outcome = CallExport(Call{});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.expectedAfter, "C:\\PROGRA~1\\APP\\APP.EXE");
    ExpectBothReleasedPersistFileFirst();
    ExpectDiskUnchanged();
}

TEST_F(Shortcut, FailedSaveKeepsTheOldLinkAndYields6) {
    fakes::FailNext("PersistFileSave");
    EXPECT_EQ(CallExport(Call{}).result, 6);
    EXPECT_EQ(fakes::ShellLinks().linkFiles, (std::map<std::string, std::string>{{kOldLink, kOldTarget}}));
    EXPECT_FALSE(Logged("DeleteFileAnsi"));
    EXPECT_EQ(fakes::ShellLinks().notifications, 0);
    ExpectBothReleasedPersistFileFirst();
}

TEST_F(Shortcut, NewLinkPathTooLongIsNeverPassedOnAndYields6) {
    Call call;
    call.newLinkPath = "C:\\" + std::string(400, 'n') + ".lnk";
    EXPECT_EQ(CallExport(call).result, 6);
    EXPECT_FALSE(Logged("PersistFileSave"));
    EXPECT_EQ(fakes::ShellLinks().linkFiles, (std::map<std::string, std::string>{{kOldLink, kOldTarget}}));
    ExpectBothReleasedPersistFileFirst();
}

TEST_F(Shortcut, SavingOverTheSameFileKeepsItRetargeted) {
    const std::string otherSpelling = "c:\\users\\ann\\desktop\\APP.LNK";
    fakes::ShellLinks().sameFiles.insert({kOldLink, otherSpelling});
    for (const std::string& newLinkPath : {kOldLink, otherSpelling}) {
        SCOPED_TRACE(newLinkPath);
        fakes::ShellLinks().linkFiles = {{kOldLink, kOldTarget}};
        fakes::CallLog().clear();
        Call call;
        call.newLinkPath = newLinkPath;
        EXPECT_EQ(CallExport(call).result, 0);
        EXPECT_EQ(fakes::ShellLinks().linkFiles, (std::map<std::string, std::string>{{kOldLink, kNewTarget}}));
        EXPECT_FALSE(Logged("DeleteFileAnsi"));
        EXPECT_TRUE(Logged("NotifyDesktopChanged"));
    }
}

TEST_F(Shortcut, FailedDeletionStillYields0) {
    fakes::FailNext("DeleteFileAnsi");
    EXPECT_EQ(CallExport(Call{}).result, 0);
    EXPECT_EQ(fakes::ShellLinks().notifications, 1);
}

TEST_F(Shortcut, ComStaysInitialisedAfterTheCall) {
    EXPECT_EQ(CallExport(Call{}).result, 0);
    EXPECT_FALSE(Logged("ComUninitialize"));
    EXPECT_EQ(platform::ComInitialize(), platform::kSFalse);
}

TEST_F(Shortcut, NullTextsAreRefusedWithoutACrash) {
    fakes::ShellLinks().linkFiles[kOldLink] = "";
    EXPECT_EQ(CheckShortCutAndUpdateIfNecessary(nullptr, nullptr, nullptr, nullptr), 3);
    EXPECT_EQ(CheckShortCutAndUpdateIfNecessary(kOldLink.c_str(), nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(CheckShortCutAndUpdateIfNecessary(kOldLink.c_str(), nullptr, kNewTarget.c_str(), nullptr), 6);
    EXPECT_EQ(fakes::ShellLinks().linkFiles, (std::map<std::string, std::string>{{kOldLink, ""}}));
}

}  // namespace
