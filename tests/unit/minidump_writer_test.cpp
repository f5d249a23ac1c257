#include "crash/minidump_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "crash/crash_state.h"
#include "crash/reporter_block.h"
#include "tests/fakes/fake_dump_library.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_readability.h"
#include "tests/fakes/fake_shared_memory.h"
#include "tests/fakes/fake_structured_guard.h"
#include "tests/fakes/fake_threads.h"

namespace {

constexpr uint32_t kUntouched = 0xBADC0DE;
constexpr char kPath[] = "C:\\Temp\\crash.dmp";

class MinidumpWriter : public testing::Test {
protected:
    void SetUp() override {
        crash::ResetCrashState();
        crash::ResetDumpWriterState();
    }
    void TearDown() override { EXPECT_EQ(crash::DumpBusyFlag.load(), 0); }

    static int Count(const std::string& prefix) {
        const auto& log = fakes::CallLog();
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
            return line.rfind(prefix, 0) == 0;
        }));
    }
    static void InstallReporter(uint32_t answer) {
        fakes::Processes().existingFiles.insert("C:\\Program Files\\Host\\Report.exe");
        fakes::Processes().reporter = [answer] {
            auto& block = fakes::SharedMemory().blocks[crash::kReporterBlockName];
            reinterpret_cast<crash::ReporterBlock*>(block.bytes.data())->result = answer;
        };
    }

    platform::ExceptionPointers pointers_{reinterpret_cast<void*>(0x1000), reinterpret_cast<void*>(0x2000)};
};

struct FailureCase {
    const char* condition;
    std::function<void(platform::ExceptionPointers*)> arrange;
    const char* path;
    uint32_t status;
    uint32_t lastError;
};

TEST_F(MinidumpWriter, SettlesEveryConditionWithItsStatusAndLastError) {
    const FailureCase cases[] = {
        {"path not readable", [](auto*) {}, nullptr, 3, kUntouched},
        {"exception pointers not readable", [](auto* p) { fakes::Readability().unreadable.insert(p); }, kPath, 3,
         kUntouched},
        {"library missing", [](auto*) { fakes::DumpLibrary().inSystemDirectory = false; }, kPath, 1, kUntouched},
        {"entry missing", [](auto*) { fakes::DumpLibrary().hasEntry = false; }, kPath, 2, kUntouched},
        {"thread not created", [](auto*) { fakes::FailNext("StartThread"); }, kPath, 6, 8},
        {"reporter took the job", [](auto*) { InstallReporter(1); }, kPath, 0, 0},
        {"file not created", [](auto*) { fakes::FailNext("CreateDumpFile"); }, kPath, 4, 5},
        {"20 calls without success", [](auto*) { fakes::DumpLibrary().defaultAnswer = 0; }, kPath, 5, 0x8007001F},
        {"last call neither 0 nor TRUE", [](auto*) { fakes::DumpLibrary().answers = {0, 2}; }, kPath, 5,
         0x8007001F},
        {"written", [](auto*) {}, kPath, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        fakes::ResetAll();
        crash::ResetDumpWriterState();
        c.arrange(&pointers_);
        platform::SetLastError(kUntouched);
        EXPECT_EQ(crash::WriteMiniDump(0x40, c.path, 100, &pointers_), c.status);
        EXPECT_EQ(platform::LastError(), c.lastError);
        EXPECT_EQ(crash::DumpBusyFlag.load(), 0);
        EXPECT_TRUE(fakes::OpenHandleNames().empty());
    }
}

TEST_F(MinidumpWriter, ChecksArgumentsBeforeLookingForTheLibrary) {
    fakes::DumpLibrary().inSystemDirectory = false;
    EXPECT_EQ(crash::WriteMiniDump(0x40, nullptr, 100, &pointers_), 3u);
    fakes::Readability().unreadable.insert(&pointers_);
    EXPECT_EQ(crash::WriteMiniDump(0x40, kPath, 100, &pointers_), 3u);
    EXPECT_EQ(Count("LoadedLibrary"), 0);
    EXPECT_EQ(crash::DbgHelpLoadStatus, 7u);
    // The path is probed within 260 bytes before the pointers, whose whole record is probed.
    const std::vector<std::string> probes = {"CanReadText(260)", "CanReadText(260)",
                                             "CanReadBytes(" + std::to_string(sizeof(platform::ExceptionPointers)) +
                                                 ")"};
    EXPECT_EQ(fakes::CallLog(), probes);
}

TEST_F(MinidumpWriter, NeverLooksForAMissingLibraryOrEntryAgain) {
    for (bool libraryPresent : {false, true}) {
        SCOPED_TRACE(libraryPresent ? "entry missing" : "library missing");
        fakes::ResetAll();
        crash::ResetDumpWriterState();
        fakes::DumpLibrary().inSystemDirectory = libraryPresent;
        fakes::DumpLibrary().hasEntry = false;
        EXPECT_FALSE(crash::WriteDumpWithRetries(&pointers_));
        EXPECT_EQ(crash::DbgHelpLoadStatus, libraryPresent ? 2u : 1u);
        EXPECT_EQ(Count("LoadedLibrary(DBGHELP.DLL)"), 1);
        EXPECT_EQ(Count("LoadSystemLibrary(DBGHELP.DLL)"), 1);
        EXPECT_EQ(Count("StartThread"), 0);
        EXPECT_TRUE(fakes::DumpLibrary().files.empty());
    }
}

TEST_F(MinidumpWriter, UsesTheLibraryAlreadyInTheProcessElseTheSystemCopy) {
    fakes::DumpLibrary().alreadyLoaded = true;
    EXPECT_TRUE(crash::LoadDbgHelp());
    EXPECT_EQ(Count("LoadSystemLibrary"), 0);
    EXPECT_EQ(crash::DbgHelpLoadStatus, 0u);

    fakes::ResetAll();
    crash::ResetDumpWriterState();
    EXPECT_TRUE(crash::LoadDbgHelp());
    EXPECT_EQ(Count("LoadSystemLibrary(DBGHELP.DLL)"), 1);
    EXPECT_TRUE(crash::LoadDbgHelp());  // known: nothing is looked up again
    EXPECT_EQ(Count("LoadedLibrary"), 1);
}

TEST_F(MinidumpWriter, MakesTwentyCallsPerAttemptSixtyInAllAndKeepsEveryFile) {
    std::strcpy(crash::LocationPrefix, "D:\\Logs\\");
    fakes::DumpLibrary().defaultAnswer = 0;
    EXPECT_FALSE(crash::WriteDumpWithRetries(&pointers_));
    const auto& calls = fakes::DumpLibrary().calls;
    ASSERT_EQ(calls.size(), 60u);
    const std::string name = "Tarvelon 2026_12_11 09_30_15_250.dmp";
    const std::string files[] = {"file D:\\Logs\\" + name, "file C:\\Temp\\" + name, "file " + name};
    for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].file, files[i / 20]) << "call " << i;
    EXPECT_EQ(Count("CreateDumpFile"), 3);
    EXPECT_EQ(Count("StartThread"), 3);
    EXPECT_EQ(fakes::DumpLibrary().files.size(), 3u);
    EXPECT_TRUE(fakes::OpenHandleNames().empty());
}

TEST_F(MinidumpWriter, StopsAfterTheFirstSuccessfulCall) {
    crash::CrashHandlerSettings.DumpType = 0x1234;
    EXPECT_TRUE(crash::WriteDumpWithRetries(&pointers_));
    ASSERT_EQ(fakes::DumpLibrary().calls.size(), 1u);
    EXPECT_EQ(Count("StartThread"), 1);
    const fakes::DumpCall& call = fakes::DumpLibrary().calls[0];
    EXPECT_EQ(call.callingThreadId, 200u);  // the worker
    EXPECT_EQ(call.processId, 4242u);
    EXPECT_EQ(call.process, platform::CurrentProcess());
    EXPECT_EQ(call.file, "file C:\\Temp\\Tarvelon 2026_12_11 09_30_15_250.dmp");
    EXPECT_EQ(call.dumpType, 0x1234u);
    ASSERT_TRUE(call.hasExceptionInformation);
    EXPECT_EQ(call.exceptionThreadId, 100u);  // the faulting thread
    EXPECT_EQ(call.exceptionPointers, &pointers_);
    EXPECT_EQ(call.clientPointers, 0);
    EXPECT_FALSE(call.hasUserStreams);
    EXPECT_EQ(call.threadsKept, (std::vector<uint32_t>{100, 300}));
    EXPECT_EQ(fakes::Threads().exitCodes[200], 1u);
}

TEST_F(MinidumpWriter, WritesNoExceptionInformationWithoutExceptionPointers) {
    EXPECT_TRUE(crash::WriteDumpWithRetries(nullptr));
    ASSERT_EQ(fakes::DumpLibrary().calls.size(), 1u);
    EXPECT_FALSE(fakes::DumpLibrary().calls[0].hasExceptionInformation);
    EXPECT_EQ(Count("CanReadBytes"), 0);
}

TEST_F(MinidumpWriter, LeavesTheWorkerOutWhenTheLibraryOnlyAsksThreadCallback) {
    fakes::DumpLibrary().asksIncludeThread = false;
    EXPECT_TRUE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(fakes::DumpLibrary().calls[0].threadsKept, (std::vector<uint32_t>{100, 300}));
    EXPECT_EQ(fakes::DumpLibrary().files.begin()->second, "threads 100 300");
}

TEST_F(MinidumpWriter, CallbackAnswersFalseOnlyForTheWorkerOnTheThreadQuestions) {
    uint32_t worker = 200;
    struct Row {
        uint32_t type;
        uint32_t thread;
        int32_t answer;
    };
    // 0 ModuleCallback, 1 ThreadCallback, 2 ThreadExCallback, 3 IncludeThreadCallback, 4 IncludeModuleCallback...
    const Row rows[] = {{3, 200, 0}, {1, 200, 0}, {3, 100, 1}, {1, 100, 1}, {0, 200, 1},
                        {2, 200, 1}, {4, 200, 1}, {5, 200, 1}, {6, 200, 1}};
    for (const Row& row : rows) {
        platform::DumpCallbackInput input{4242, nullptr, row.type, row.thread};
        EXPECT_EQ(crash::ExcludeWorkerThreadCallback(&worker, &input, nullptr), row.answer)
            << "type " << row.type << " thread " << row.thread;
    }
    platform::DumpCallbackInput input{4242, nullptr, 3, 200};
    EXPECT_EQ(crash::ExcludeWorkerThreadCallback(nullptr, &input, nullptr), 1);
    EXPECT_EQ(crash::ExcludeWorkerThreadCallback(&worker, nullptr, nullptr), 1);
}

TEST_F(MinidumpWriter, GoesOnToTheNextAttemptWhenTheThreadIsNotCreated) {
    fakes::FailNext("StartThread");
    EXPECT_TRUE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(Count("StartThread() failed"), 1);
    EXPECT_EQ(Count("StartThread() -> "), 1);
    EXPECT_EQ(Count("WaitForEnd"), 1);  // only for the thread that was created
    EXPECT_EQ(fakes::DumpLibrary().calls.size(), 1u);
}

TEST_F(MinidumpWriter, AWorkerDoneBeforeItsStartReturnsLeavesNoWait) {
    // The fake runs the worker to its end inside StartThread: the flag is down before the busy-wait begins.
    EXPECT_EQ(crash::WriteMiniDump(0x40, kPath, 100, &pointers_), 0u);
    const auto& log = fakes::CallLog();
    const auto wait = std::find(log.begin(), log.end(), "WaitForEnd(thread 200)");
    ASSERT_NE(wait, log.end());
    EXPECT_EQ(*(wait + 1), "CloseHandle(thread 200)");
}

TEST_F(MinidumpWriter, WaitsForAWorkerOnARealThread) {
    fakes::Threads().runOnRealThread = true;
    std::strcpy(crash::LocationPrefix, "D:\\Logs\\");
    EXPECT_TRUE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(fakes::DumpLibrary().calls.size(), 1u);
    EXPECT_EQ(fakes::DumpLibrary().files.count("D:\\Logs\\Tarvelon 2026_12_11 09_30_15_250.dmp"), 1u);
    EXPECT_TRUE(fakes::OpenHandleNames().empty());
}

TEST_F(MinidumpWriter, RejectsUnreadableExceptionPointersInEveryAttemptWithoutAThread) {
    fakes::Readability().unreadable.insert(&pointers_);
    EXPECT_FALSE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(Count("CanReadBytes"), 3);
    EXPECT_EQ(Count("StartThread"), 0);
}

TEST_F(MinidumpWriter, AFaultOnTheFaultingThreadEndsTheSeriesWithFalse) {
    fakes::Readability().faultingAddresses.insert(&pointers_);
    EXPECT_FALSE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(fakes::Guard().faultsCaught, 1);
    EXPECT_EQ(Count("CanReadBytes"), 1);  // no further attempt
}

TEST_F(MinidumpWriter, TheReporterTakingTheJobLeavesNoFileOfTheModule) {
    InstallReporter(1);
    EXPECT_TRUE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(Count("CreateDumpFile"), 0);
    EXPECT_TRUE(fakes::DumpLibrary().files.empty());
    EXPECT_EQ(fakes::Threads().exitCodes[200], 1u);
}

TEST_F(MinidumpWriter, AReporterAnsweringZeroLeavesTheDumpToTheModule) {
    InstallReporter(0);
    EXPECT_TRUE(crash::WriteDumpWithRetries(&pointers_));
    EXPECT_EQ(fakes::Processes().started.size(), 1u);
    EXPECT_EQ(fakes::DumpLibrary().calls.size(), 1u);
}

TEST_F(MinidumpWriter, TheWorkerEndsWithZeroWhenTheDumpFailed) {
    fakes::FailNext("CreateDumpFile");
    EXPECT_EQ(crash::WriteMiniDump(0x40, kPath, 100, nullptr), 4u);
    EXPECT_EQ(fakes::Threads().exitCodes[200], 0u);
}

}  // namespace
