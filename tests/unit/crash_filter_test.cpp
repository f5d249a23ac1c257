#include "crash/crash_filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "crash/crash_state.h"
#include "tests/fakes/fake_filter_support.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_threads.h"

namespace {

using platform::RootKey;

// Records the writers' calls in the shared call log, with the outcome a test chose for the minidump.
bool dumpSucceeds = true;
bool RecordDump(platform::ExceptionPointers*) {
    fakes::Record("writeDump");
    return dumpSucceeds;
}
bool RecordStartupDiagnostics(platform::ExceptionPointers*) {
    fakes::Record("writeStartupDiagnostics");
    return true;
}

class CrashHandler : public testing::Test {
protected:
    void SetUp() override {
        crash::ResetCrashState();
        saved_ = crash::ActiveCrashWriters();
        crash::ActiveCrashWriters() = {RecordDump, RecordStartupDiagnostics};
        dumpSucceeds = true;
        record_.code = 0xC0000005;
        pointers_.exceptionRecord = &record_;
        pointers_.contextRecord = nullptr;
    }
    void TearDown() override {
        crash::ActiveCrashWriters() = saved_;
        crash::ResetCrashState();
    }

    static void SetSetting(const char* name, uint32_t value) { fakes::SetDword(RootKey::LocalMachine, crash::kSettingsKey, name, value); }

    std::vector<std::string> Crash(uint32_t code = 0xC0000005) {
        record_.code = code;
        fakes::CallLog().clear();
        EXPECT_EQ(crash::TopLevelCrashFilter(&pointers_), 0) << "EXCEPTION_CONTINUE_SEARCH on every path";
        EXPECT_EQ(crash::CrashFilterActive.load(), 0);
        return fakes::CallLog();
    }

    struct {
        uint32_t code;
        uint32_t flags;
    } record_{};
    platform::ExceptionPointers pointers_{};
    crash::CrashWriters saved_{};
};

platform::FilterResult SETUPAID_STDCALL HostFilter(platform::ExceptionPointers*) { return 1; }

TEST_F(CrashHandler, WithoutAKeyTheSettingsKeepTheirValuesAtLoadAndTheFilterIsInstalled) {
    fakes::System().processFilter = HostFilter;
    std::strcpy(crash::LocationPrefix, "D:\\stale\\");
    crash::InstallCrashHandler();
    EXPECT_EQ(crash::CrashHandlerSettings.WriteDump, 1u);
    EXPECT_EQ(crash::CrashHandlerSettings.WriteTvd, 1u);
    EXPECT_EQ(crash::CrashHandlerSettings.ForceTvd, 0u);
    EXPECT_EQ(crash::CrashHandlerSettings.DumpType, 0x40u);
    EXPECT_EQ(fakes::System().processFilter, &crash::TopLevelCrashFilter);
    EXPECT_EQ(crash::LocationPrefix[0], '\0');
}

TEST_F(CrashHandler, ReadsEachSettingByOpeningAndClosingTheKeyInOrder) {
    fakes::AddKey(RootKey::LocalMachine, crash::kSettingsKey);
    crash::InstallCrashHandler();
    const std::string open = "RegistryOpenKey(HKLM, \"Software\\Tarvelon Software\\TarvelonDiagnostics\\CrashHandler\\\", 0x1)";
    std::vector<std::string> expected;
    for (const char* name : {"WriteDump", "WriteTvd", "ForceTvd", "DumpType"}) {
        expected.push_back(open);
        expected.push_back(std::string("RegistryQueryValue(\"") + name + "\", 4)");
        expected.push_back("RegistryCloseKey()");
    }
    expected.push_back("SetProcessExceptionFilter(filter)");
    EXPECT_EQ(fakes::CallLog(), expected);
    EXPECT_EQ(fakes::Registry().openKeys, 0);
}

TEST_F(CrashHandler, TakesOnlyFourByteDwordValues) {
    fakes::SetString(RootKey::LocalMachine, crash::kSettingsKey, "WriteDump", "0");
    fakes::SetValue(RootKey::LocalMachine, crash::kSettingsKey, "WriteTvd", platform::kRegBinary, {0, 0, 0, 0});
    fakes::SetValue(RootKey::LocalMachine, crash::kSettingsKey, "ForceTvd", platform::kRegDword, {1, 0, 0, 0, 0, 0, 0, 0});
    SetSetting("DumpType", 0);
    crash::InstallCrashHandler();
    EXPECT_EQ(crash::CrashHandlerSettings.WriteDump, 1u) << "REG_SZ ignored";
    EXPECT_EQ(crash::CrashHandlerSettings.WriteTvd, 1u) << "REG_BINARY ignored";
    EXPECT_EQ(crash::CrashHandlerSettings.ForceTvd, 0u) << "an eight-byte value ignored";
    EXPECT_EQ(crash::CrashHandlerSettings.DumpType, 0u) << "DumpType 0 is passed on";
}

TEST_F(CrashHandler, AFailedOpenOrQueryLeavesTheSetting) {
    SetSetting("WriteDump", 7);
    uint32_t setting = 42;
    fakes::FailNext("RegistryOpenKey");
    EXPECT_FALSE(crash::ReadCrashHandlerSetting("WriteDump", setting));
    fakes::FailNext("RegistryQueryValue");
    EXPECT_FALSE(crash::ReadCrashHandlerSetting("WriteDump", setting));
    EXPECT_FALSE(crash::ReadCrashHandlerSetting("Absent", setting));
    EXPECT_EQ(setting, 42u);
    EXPECT_TRUE(crash::ReadCrashHandlerSetting("WriteDump", setting));
    EXPECT_EQ(setting, 7u);
    EXPECT_EQ(fakes::Registry().openKeys, 0);
}

TEST_F(CrashHandler, BothSwitchesOffInstallsNothingWhateverForceTvdHolds) {
    for (uint32_t forceTvd : {0u, 1u}) {
        crash::ResetCrashState();
        fakes::System().processFilter = HostFilter;
        std::strcpy(crash::LocationPrefix, "D:\\kept\\");
        SetSetting("WriteDump", 0);
        SetSetting("WriteTvd", 0);
        SetSetting("ForceTvd", forceTvd);
        crash::InstallCrashHandler();
        EXPECT_EQ(fakes::System().processFilter, &HostFilter) << "ForceTvd " << forceTvd;
        EXPECT_STREQ(crash::LocationPrefix, "D:\\kept\\");
    }
}

TEST_F(CrashHandler, EitherSwitchAloneInstallsTheFilter) {
    for (auto [writeDump, writeTvd] : {std::pair{0u, 1u}, std::pair{1u, 0u}, std::pair{0xFFFFFFFFu, 0u}}) {
        fakes::System().processFilter = nullptr;
        SetSetting("WriteDump", writeDump);
        SetSetting("WriteTvd", writeTvd);
        crash::InstallCrashHandler();
        EXPECT_EQ(fakes::System().processFilter, &crash::TopLevelCrashFilter) << writeDump << "/" << writeTvd;
    }
}

struct CrashRow {
    uint32_t forceTvd, writeTvd;
    bool dumpSucceeds;
    std::vector<std::string> work;
};

TEST_F(CrashHandler, OneCrashDoesTheWorkTheSettingsAskForInOrder) {
    const std::vector<std::string> tvdThenDump{"writeStartupDiagnostics", "writeDump"};
    const std::vector<std::string> dumpOnly{"writeDump"};
    const std::vector<std::string> dumpThenTvd{"writeDump", "writeStartupDiagnostics"};
    const CrashRow rows[] = {
        {1, 1, true, tvdThenDump},  {1, 0, false, tvdThenDump}, {7, 0, true, tvdThenDump},
        {0, 1, true, dumpOnly},     {0, 1, false, dumpThenTvd}, {0, 0, true, dumpOnly},
        {0, 0, false, dumpOnly},
    };
    for (const CrashRow& row : rows) {
        crash::CrashHandlerSettings.ForceTvd = row.forceTvd;
        crash::CrashHandlerSettings.WriteTvd = row.writeTvd;
        crash::CrashHandlerSettings.WriteDump = 0;  // never read by the filter
        dumpSucceeds = row.dumpSucceeds;
        EXPECT_EQ(Crash(), row.work) << "ForceTvd " << row.forceTvd << " WriteTvd " << row.writeTvd << " dump "
                                     << row.dumpSucceeds;
    }
}

TEST_F(CrashHandler, AStackOverflowSendsThreeDebugStringsFirst) {
    const std::string banner(33, '!');
    EXPECT_EQ(Crash(0xC00000FD), (std::vector<std::string>{"DebugOutput(\"" + banner + "\")",
                                                            "DebugOutput(\"EXCEPTION_STACK_OVERFLOW occurred\")",
                                                            "DebugOutput(\"" + banner + "\")", "writeDump"}));
    for (uint32_t other : {0xC0000005u, 0xC00000FCu, 0x800000FDu, 0xE0000001u}) {
        fakes::FilterSupport().debugOutput.clear();
        Crash(other);
        EXPECT_TRUE(fakes::FilterSupport().debugOutput.empty()) << std::hex << other;
    }
}

// A nested fault: the dump writer itself faults and the system calls the filter again on the same thread.
bool NestedFaultInDump(platform::ExceptionPointers* pointers) {
    fakes::Record("writeDump");
    fakes::Record(std::string("nested filter returned ") + std::to_string(crash::TopLevelCrashFilter(pointers)));
    return true;
}

TEST_F(CrashHandler, ANestedFaultOnTheSameThreadReturnsAtOnceWithoutWork) {
    crash::ActiveCrashWriters().writeDump = NestedFaultInDump;
    EXPECT_EQ(Crash(0xC00000FD).size(), 5u) << "three debug strings, the dump, and nothing from the nested call";
    EXPECT_EQ(fakes::CallLog().back(), "nested filter returned 0");
    EXPECT_EQ(fakes::FilterSupport().debugOutput.size(), 3u);
    EXPECT_EQ(fakes::FilterSupport().sleeps, 0) << "a nested call must not wait for itself";
}

// Another thread faults while the first is at work: it does no work and returns only once the first is done.
TEST_F(CrashHandler, AnotherThreadWaitsForTheActiveCrashAndDoesNoWork) {
    crash::ActiveCrashWriters().writeDump = [](platform::ExceptionPointers* pointers) {
        fakes::Record("writeDump");
        fakes::Threads().mainThreadId = 0x5678;  // the second thread arrives
        fakes::FilterSupport().onSleep = [] {
            if (fakes::FilterSupport().sleeps == 3) crash::CrashFilterActive = 0;  // the first one finishes
        };
        fakes::Record("second returned " + std::to_string(crash::TopLevelCrashFilter(pointers)));
        return true;
    };
    EXPECT_EQ(Crash(), (std::vector<std::string>{"writeDump", "second returned 0"}));
    EXPECT_EQ(fakes::FilterSupport().sleeps, 3);
}

}  // namespace
