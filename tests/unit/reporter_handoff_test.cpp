#include "crash/reporter_handoff.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "crash/crash_state.h"
#include "crash/reporter_block.h"
#include "crash/reporter_location.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_readability.h"
#include "tests/fakes/fake_shared_memory.h"
#include "tests/fakes/fake_threads.h"

namespace {

constexpr char kBesideModule[] = "C:\\Program Files\\Host\\Report.exe";

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

uint64_t ReadPointerField(const std::vector<uint8_t>& bytes) {
    uint64_t value = 0;
    std::memcpy(&value, bytes.data() + 284, sizeof(void*));
    return value;
}

class ReporterHandOff : public testing::Test {
protected:
    void SetUp() override {
        crash::ResetCrashState();
        crash::DumpBusyFlag = 1;  // raised, as by the writer before its worker starts
        fakes::Processes().existingFiles.insert(kBesideModule);
        // The reporter keeps the block as it found it when it started, and may answer.
        fakes::Processes().reporter = [this] {
            seenAtStart_ = fakes::SharedMemory().blocks[crash::kReporterBlockName].bytes;
            if (answer_)
                reinterpret_cast<crash::ReporterBlock*>(
                    fakes::SharedMemory().blocks[crash::kReporterBlockName].bytes.data())
                    ->result = *answer_;
        };
    }
    void TearDown() override {
        EXPECT_EQ(crash::DumpBusyFlag.load(), 0);
        EXPECT_TRUE(fakes::OpenHandleNames().empty());
        // Only a block that some other process holds may outlive the hand-off.
        for (const auto& block : fakes::SharedMemory().blocks) EXPECT_EQ(block.second.views, 0);
    }

    crash::DumpRequest Request(const char* path, platform::ExceptionPointers* pointers) {
        return crash::DumpRequest{0x40, path, 100, pointers, crash::kDumpNotSettled, 0};
    }

    platform::ExceptionPointers pointers_{reinterpret_cast<void*>(0x1000), reinterpret_cast<void*>(0x2000)};
    std::vector<uint8_t> seenAtStart_;
    const uint32_t* answer_ = nullptr;
};

TEST_F(ReporterHandOff, FillsEveryFieldBeforeTheReporterStarts) {
    fakes::Threads().mainThreadId = 777;  // the worker that hands off
    const auto request = Request("C:\\Temp\\a.dmp", &pointers_);
    EXPECT_EQ(crash::HandOffToReporter(&request), 0u);
    ASSERT_EQ(seenAtStart_.size(), 292u);
    EXPECT_EQ(ReadU32(seenAtStart_, 0), 0u);
    EXPECT_EQ(ReadU32(seenAtStart_, 4), 4242u);
    EXPECT_EQ(ReadU32(seenAtStart_, 8), 777u);
    EXPECT_EQ(ReadU32(seenAtStart_, 12), 100u);
    EXPECT_EQ(ReadU32(seenAtStart_, 16), 0x40u);
    EXPECT_STREQ(reinterpret_cast<const char*>(seenAtStart_.data() + 20), "C:\\Temp\\a.dmp");
    EXPECT_EQ(ReadU32(seenAtStart_, 280), 0u);
    EXPECT_EQ(ReadPointerField(seenAtStart_), reinterpret_cast<uintptr_t>(&pointers_));
    ASSERT_EQ(fakes::Processes().started.size(), 1u);
    EXPECT_EQ(fakes::Processes().started[0].application, kBesideModule);
    EXPECT_EQ(fakes::Processes().started[0].commandLine, "Report -d");
}

TEST_F(ReporterHandOff, LeavesTheFaultFieldsZeroWithoutReadableExceptionPointers) {
    fakes::Readability().unreadable.insert(&pointers_);
    for (platform::ExceptionPointers* pointers : {static_cast<platform::ExceptionPointers*>(nullptr), &pointers_}) {
        const auto request = Request("C:\\Temp\\a.dmp", pointers);
        crash::HandOffToReporter(&request);
        EXPECT_EQ(ReadU32(seenAtStart_, 4), 4242u);
        EXPECT_EQ(ReadU32(seenAtStart_, 8), 100u);
        EXPECT_EQ(ReadU32(seenAtStart_, 12), 0u);
        EXPECT_EQ(ReadU32(seenAtStart_, 16), 0x40u);
        EXPECT_EQ(ReadPointerField(seenAtStart_), 0u);
        EXPECT_EQ(ReadU32(seenAtStart_, 288), 0u);
    }
}

TEST_F(ReporterHandOff, CutsThePathAfter259Characters) {
    for (size_t length : {259u, 260u, 300u}) {
        const std::string path(length, 'p');
        const auto request = Request(path.c_str(), nullptr);
        crash::HandOffToReporter(&request);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(seenAtStart_.data() + 20)), path.substr(0, 259));
        EXPECT_EQ(ReadU32(seenAtStart_, 280), 0u);  // nothing spills past the path
    }
}

TEST_F(ReporterHandOff, ReturnsTheReportersAnswerReadAfterItsEnd) {
    for (uint32_t answer : {1u, 0u, 5u}) {
        answer_ = &answer;
        const auto request = Request("a.dmp", nullptr);
        EXPECT_EQ(crash::HandOffToReporter(&request), answer);
    }
    // The block goes when the hand-off lets go of it.
    EXPECT_TRUE(fakes::SharedMemory().blocks.empty());
}

TEST_F(ReporterHandOff, ReleasesInOrderOnceTheReporterHasEnded) {
    const auto request = Request("a.dmp", nullptr);
    crash::HandOffToReporter(&request);
    std::vector<std::string> tail(fakes::CallLog().end() - 5, fakes::CallLog().end());
    EXPECT_EQ(tail, (std::vector<std::string>{"WaitForEnd(process)", "CloseHandle(process)",
                                              "CloseHandle(process thread)", "UnmapSharedBlock(MiniDumperParams)",
                                              "CloseHandle(mapping MiniDumperParams)"}));
}

TEST_F(ReporterHandOff, KeepsWhatAnExistingBlockHeldInTheFieldsItDoesNotWrite) {
    std::vector<uint8_t> held(292, 0);
    const uint32_t result = 9, reserved = 0xAABBCCDD;
    std::memcpy(held.data(), &result, 4);
    std::memcpy(held.data() + 280, &reserved, 4);
    std::memcpy(held.data() + 12, &reserved, 4);
    fakes::HoldSharedBlock(crash::kReporterBlockName, held);
    const auto request = Request("a.dmp", nullptr);
    EXPECT_EQ(crash::HandOffToReporter(&request), 9u);
    const auto& after = fakes::SharedMemory().blocks[crash::kReporterBlockName].bytes;
    EXPECT_EQ(ReadU32(after, 280), reserved);
    EXPECT_EQ(ReadU32(after, 12), reserved);
    EXPECT_EQ(fakes::SharedMemory().blocks[crash::kReporterBlockName].handles, 1);  // only the other holder's
}

struct FailurePath {
    const char* name;
    std::function<void()> arrange;
    std::vector<std::string> released;  // what the hand-off let go of, in order
};

TEST_F(ReporterHandOff, ReturnsZeroAndReleasesWhatItObtainedOnEveryFailure) {
    const FailurePath paths[] = {
        {"no reporter beside the module or the host", [] { fakes::Processes().existingFiles.clear(); }, {}},
        {"block not created", [] { fakes::FailNext("CreateSharedBlock"); }, {}},
        {"block not mapped", [] { fakes::FailNext("MapSharedBlock"); }, {"CloseHandle(mapping MiniDumperParams)"}},
        {"reporter not started",
         [] { fakes::FailNext("StartProcess"); },
         {"UnmapSharedBlock(MiniDumperParams)", "CloseHandle(mapping MiniDumperParams)"}},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        fakes::ResetAll();
        fakes::Processes().existingFiles.insert(kBesideModule);
        path.arrange();
        crash::DumpBusyFlag = 1;
        const auto request = Request("a.dmp", &pointers_);
        EXPECT_EQ(crash::HandOffToReporter(&request), 0u);
        EXPECT_EQ(crash::DumpBusyFlag.load(), 0);
        EXPECT_TRUE(fakes::OpenHandleNames().empty());
        EXPECT_TRUE(fakes::SharedMemory().blocks.empty());
        EXPECT_TRUE(fakes::Processes().started.empty());
        std::vector<std::string> released;
        for (const auto& line : fakes::CallLog())
            if (line.rfind("CloseHandle", 0) == 0 || line.rfind("Unmap", 0) == 0) released.push_back(line);
        EXPECT_EQ(released, path.released);
    }
}

TEST_F(ReporterHandOff, StartsTheReporterBesideTheModuleElseBesideTheHostAndNeverByName) {
    struct Place {
        std::vector<std::string> existing;
        std::string started;  // "" when nothing may start
    };
    const Place places[] = {
        {{kBesideModule, "C:\\Apps\\Report.exe"}, kBesideModule},
        {{"C:\\Apps\\Report.exe"}, "C:\\Apps\\Report.exe"},
        {{"Report.exe", ".\\Report.exe"}, ""},  // a planted copy in the current directory is not a candidate
    };
    for (const auto& place : places) {
        fakes::ResetAll();
        fakes::Processes().hostPath = "C:\\Apps\\installer.exe";
        fakes::Processes().existingFiles.insert(place.existing.begin(), place.existing.end());
        const auto request = Request("a.dmp", nullptr);
        crash::HandOffToReporter(&request);
        if (place.started.empty()) {
            EXPECT_TRUE(fakes::Processes().started.empty());
        } else {
            ASSERT_EQ(fakes::Processes().started.size(), 1u);
            EXPECT_EQ(fakes::Processes().started[0].application, place.started);
        }
    }
}

TEST(ReporterLocation, PutsTheNameBesideAFullPathOnly) {
    struct Row {
        const char* file;
        uint32_t size;
        const char* expected;  // null: refused
    };
    const Row rows[] = {
        {"C:\\a\\b.dll", 64, "C:\\a\\Report.exe"},
        {"C:/a/b.dll", 64, "C:/a/Report.exe"},
        {"C:\\a/b\\c.dll", 64, "C:\\a/b\\Report.exe"},
        {"b.dll", 64, nullptr},
        {"C:\\a\\b.dll", 16, "C:\\a\\Report.exe"},  // exactly fits with its zero
        {"C:\\a\\b.dll", 15, nullptr},
    };
    for (const Row& row : rows) {
        char out[64] = {};
        const bool placed = crash::PathBesideFile(row.file, "Report.exe", out, row.size);
        EXPECT_EQ(placed, row.expected != nullptr) << row.file;
        if (row.expected) {
            EXPECT_STREQ(out, row.expected);
        }
    }
}

}  // namespace
