#include "crash/startup_diagnostics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "crash/crash_state.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_diagnostics_io.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_structured_guard.h"
#include "tests/fakes/fault_scene.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint16_t Read16(const Bytes& file, size_t offset) {
    return static_cast<uint16_t>(file[offset] | file[offset + 1] << 8);
}

using Fault = fakes::FaultScene;

Bytes Header() {
    Bytes header(tvd::kSignature, tvd::kSignature + tvd::kSignatureSize);
    header.insert(header.end(), {1, 1, 1, 0});
    return header;
}

void Append(Bytes& file, uint16_t tag, const Bytes& data) {
    file.push_back(static_cast<uint8_t>(tag));
    file.push_back(static_cast<uint8_t>(tag >> 8));
    file.push_back(static_cast<uint8_t>(data.size()));
    file.push_back(static_cast<uint8_t>(data.size() >> 8));
    file.insert(file.end(), data.begin(), data.end());
}

class StartupDiagnostics : public testing::Test {
protected:
    void SetUp() override {
        crash::ResetCrashState();
        // Memory is unreadable unless a test's fault scene registers it.
        fakes::Readability().onlyRegisteredRanges = true;
        fakes::Clock().now = platform::LocalTime{2005, 11, 25, 14, 3, 7, 42};
    }
    // Runs the two steps as the guarded operation does, with the given layout.
    Bytes Write(Fault& fault, bool expectComplete) {
        const platform::DiagnosticsFile file = crash::CreateTvdFile();
        EXPECT_NE(file, platform::kNoDiagnosticsFile);
        EXPECT_EQ(crash::WriteTvdRecords(&fault.pointers, file, fault.layout), expectComplete);
        platform::CloseDiagnosticsFile(file);
        return fakes::OnlyFile();
    }
    Bytes Expected(const Fault& fault, uint64_t stackFrom, uint64_t stackLength) {
        Bytes file = Header();
        Append(file, tvd::kTagExceptionRecord, fault.exceptionRecord);
        Append(file, tvd::kTagContext, fault.context);
        Append(file, tvd::kTagThreadBlock, fault.threadBlock);
        Append(file, tvd::kTagStack, fault.StackBytes(stackFrom, stackLength));
        return file;
    }
};

TEST_F(StartupDiagnostics, WritesTheHeaderAndFourRecordsAtTheirFixedOffsets) {
    Fault fault(tvd::kLayoutX86, 0x3000);
    fault.MakeReadable();
    const Bytes file = Write(fault, true);
    ASSERT_EQ(file.size(), 13176u);
    EXPECT_EQ(file, Expected(fault, fault.limit, 0x3000));
    EXPECT_EQ(Read16(file, 24), 0xC000);
    EXPECT_EQ(Read16(file, 108), 0xC001);
    EXPECT_EQ(Read16(file, 828), 0xC002);
    EXPECT_EQ(Read16(file, 884), 0xC003);
    EXPECT_EQ(Read16(file, 886), 0x3000);
    EXPECT_EQ(file[888], fault.StackBytes(fault.limit, 1)[0]);
    // On disk: tag 0xC001 is 01 C0, length 716 is CC 02; the header ends 01 01 01 00.
    EXPECT_EQ(Bytes(file.begin() + 108, file.begin() + 112), (Bytes{0x01, 0xC0, 0xCC, 0x02}));
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 24), (Bytes{1, 1, 1, 0}));
}

// The whole operation writes the layout of the machine it runs on.
TEST_F(StartupDiagnostics, NamesTheFileInTheTemporaryDirectoryAndReleasesTheNameBeforeWriting) {
    Fault fault(tvd::kNativeLayout, 0x3000);
    fault.MakeReadable();
    EXPECT_TRUE(crash::WriteStartupDiagnostics(&fault.pointers));
    const std::vector<std::string>& log = fakes::CallLog();
    const std::vector<std::string> opening = {
        "ProcessHeapAllocate(261)", "TempDirectory(256)",
        "CreateDiagnosticsFile(C:\\Temp\\Tarvelon 2005_11_25 14_03_07_042.tvd)", "ProcessHeapFree",
        "WriteDiagnosticsFile(20)", "WriteDiagnosticsFile(1)", "WriteDiagnosticsFile(1)", "WriteDiagnosticsFile(1)",
        "WriteDiagnosticsFile(1)"};
    std::vector<std::string> fileCalls;
    for (const std::string& call : log)
        if (call.rfind("Clock", 0) != 0 && call.rfind("CurrentLocalTime", 0) != 0) fileCalls.push_back(call);
    ASSERT_GE(fileCalls.size(), opening.size());
    EXPECT_EQ(std::vector<std::string>(fileCalls.begin(), fileCalls.begin() + opening.size()), opening);
    EXPECT_EQ(log.back(), "CloseDiagnosticsFile");
    EXPECT_TRUE(fakes::DiagnosticsIo().openFiles.empty());
    EXPECT_TRUE(fakes::DiagnosticsIo().heapBlocks.empty());
    EXPECT_EQ(fakes::OnlyFile(), Expected(fault, fault.limit, 0x3000));
}

TEST_F(StartupDiagnostics, PutsTheFileAfterTheLocationPrefixWhenThereIsOne) {
    const std::string prefix(211, 'p');
    std::strcpy(crash::LocationPrefix, prefix.c_str());
    Fault fault(tvd::kLayoutX86, 0x3000);
    EXPECT_FALSE(crash::WriteStartupDiagnostics(&fault.pointers));
    ASSERT_EQ(fakes::DiagnosticsIo().files.size(), 1u);
    const std::string name = fakes::DiagnosticsIo().files.begin()->first;
    EXPECT_EQ(name, prefix + "Tarvelon 2005_11_25 14_03_07_042.tvd");
    EXPECT_EQ(name.size(), 247u);
}

TEST_F(StartupDiagnostics, KeepsTheEndOfALargeStackNearestItsBase) {
    Fault fault(tvd::kLayoutX86, 0x20000);
    fault.MakeReadable();
    const Bytes file = Write(fault, true);
    ASSERT_EQ(file.size(), 66420u);
    EXPECT_EQ(Read16(file, 886), 0xFFFC);
    EXPECT_EQ(file, Expected(fault, fault.limit + 0x20000 - 0xFFFC, 0xFFFC));
}

TEST_F(StartupDiagnostics, CutsTheStackAtFFFCBytesNotFFFF) {
    struct Case {
        uint64_t span;
        uint64_t expectedStartAboveLimit;
        uint64_t expectedLength;
    };
    for (const Case& c : {Case{0xFFFC, 0, 0xFFFC}, Case{0xFFFD, 1, 0xFFFC}, Case{0xFFFF, 3, 0xFFFC},
                          Case{1, 0, 1}}) {
        fakes::ResetAll();
        Fault fault(tvd::kLayoutX86, c.span);
        fault.MakeReadable();
        EXPECT_EQ(Write(fault, true), Expected(fault, fault.limit + c.expectedStartAboveLimit, c.expectedLength))
            << "span " << c.span;
    }
}

// The x86_64 layout differs only in the sizes of the first three records and the width of the stack words.
TEST_F(StartupDiagnostics, WritesTheSixtyFourBitLayoutWithItsOwnRecordSizes) {
    for (uint64_t span : {uint64_t{0x3000}, uint64_t{0x20000}}) {
        fakes::ResetAll();
        Fault fault(tvd::kLayoutX64, span);
        fault.MakeReadable();
        const uint64_t length = span < tvd::kMaxStackBytes ? span : tvd::kMaxStackBytes;
        const Bytes file = Write(fault, true);
        EXPECT_EQ(file, Expected(fault, fault.limit + span - length, length));
        EXPECT_EQ(file.size(), 24 + (4 + 152) + (4 + 1232) + (4 + 104) + (4 + length));
        EXPECT_EQ(Read16(file, 24 + 4 + 152), 0xC001);
        EXPECT_EQ(Read16(file, 24 + 4 + 152 + 2), 1232);
    }
}

TEST_F(StartupDiagnostics, StopsWhereMemoryCannotBeReadExceptForTheExceptionRecord) {
    struct Case {
        const char* what;
        bool pointers, record, context, block, stack;
        std::vector<uint16_t> tags;
    };
    const Case cases[] = {
        {"pointers", false, true, true, true, true, {}},
        {"exception record", true, false, true, true, true, {0xC001, 0xC002, 0xC003}},
        {"context", true, true, false, true, true, {0xC000}},
        {"thread block", true, true, true, false, true, {0xC000, 0xC001}},
        {"stack", true, true, true, true, false, {0xC000, 0xC001, 0xC002}},
    };
    for (const Case& c : cases) {
        fakes::ResetAll();
        Fault fault(tvd::kLayoutX86, 0x3000);
        fault.MakeReadable(c.pointers, c.record, c.context, c.block, c.stack);
        Bytes expected = Header();
        for (uint16_t tag : c.tags) {
            if (tag == 0xC000) Append(expected, tag, fault.exceptionRecord);
            if (tag == 0xC001) Append(expected, tag, fault.context);
            if (tag == 0xC002) Append(expected, tag, fault.threadBlock);
            if (tag == 0xC003) Append(expected, tag, fault.StackBytes(fault.limit, 0x3000));
        }
        EXPECT_EQ(Write(fault, false), expected) << "unreadable " << c.what;
    }
}

TEST_F(StartupDiagnostics, NullPointersGiveTheHeaderAlone) {
    EXPECT_FALSE(crash::WriteStartupDiagnostics(nullptr));
    EXPECT_EQ(fakes::OnlyFile(), Header());
    EXPECT_TRUE(fakes::DiagnosticsIo().openFiles.empty());
}

TEST_F(StartupDiagnostics, WritesNoStackRecordWhenTheLimitIsNotBelowTheBase) {
    for (int64_t baseMinusLimit : {0, -16}) {
        fakes::ResetAll();
        Fault fault(tvd::kLayoutX86, 0x3000);
        fault.SetStack(fault.limit + baseMinusLimit, fault.limit);
        fault.MakeReadable();
        Bytes expected = Header();
        Append(expected, 0xC000, fault.exceptionRecord);
        Append(expected, 0xC001, fault.context);
        Append(expected, 0xC002, fault.threadBlock);
        EXPECT_EQ(Write(fault, false), expected) << baseMinusLimit;
    }
}

// Writes 1-5 are the header; then tag, length and data of 0xC000 (6-8), 0xC001 (9-11), ...
TEST_F(StartupDiagnostics, AFailedWriteSkipsTheRestOfItsOwnRecordOnly) {
    struct Case {
        int failingWrite;
        size_t keptOfFirstRecord;  // bytes of record 0xC000 that reach the file
    };
    for (const Case& c : {Case{6, 0}, Case{7, 2}, Case{8, 4}}) {
        fakes::ResetAll();
        Fault fault(tvd::kLayoutX86, 0x3000);
        fault.MakeReadable();
        fakes::DiagnosticsIo().failingWrites = {c.failingWrite};
        const Bytes complete = Expected(fault, fault.limit, 0x3000);
        Bytes expected(complete.begin(), complete.begin() + 24 + c.keptOfFirstRecord);
        expected.insert(expected.end(), complete.begin() + 24 + 84, complete.end());
        EXPECT_EQ(Write(fault, false), expected) << "write " << c.failingWrite;
    }
}

TEST_F(StartupDiagnostics, AFailedHeaderWriteStillLetsTheRecordsFollow) {
    Fault fault(tvd::kLayoutX86, 0x3000);
    fault.MakeReadable();
    fakes::DiagnosticsIo().failingWrites = {1};
    const Bytes complete = Expected(fault, fault.limit, 0x3000);
    EXPECT_EQ(Write(fault, true), Bytes(complete.begin() + 20, complete.end()));
}

TEST_F(StartupDiagnostics, AFaultEndsTheOperationKeepsWhatWasWrittenAndClosesTheFile) {
    for (int faultingWrite : {2, 9, 15}) {
        fakes::ResetAll();
        Fault fault(tvd::kNativeLayout, 0x3000);
        fault.MakeReadable();
        fakes::DiagnosticsIo().faultOnWrite = faultingWrite;
        EXPECT_FALSE(crash::WriteStartupDiagnostics(&fault.pointers));
        EXPECT_EQ(fakes::Guard().faultsCaught, 1);
        EXPECT_TRUE(fakes::DiagnosticsIo().openFiles.empty()) << "write " << faultingWrite;
        EXPECT_TRUE(fakes::DiagnosticsIo().heapBlocks.empty());
        const Bytes complete = Expected(fault, fault.limit, 0x3000);
        const tvd::Layout& layout = tvd::kNativeLayout;
        const size_t kept = faultingWrite == 2   ? 20
                            : faultingWrite == 9 ? 24 + 4 + layout.exceptionRecordSize
                                                 : 24 + 4 + layout.exceptionRecordSize + 4 + layout.contextSize + 4 +
                                                       layout.threadBlockSize;
        EXPECT_EQ(fakes::OnlyFile(), Bytes(complete.begin(), complete.begin() + kept)) << "write " << faultingWrite;
    }
}

TEST_F(StartupDiagnostics, WritesNothingWithoutANameBlockOrAFile) {
    fakes::FailNext("ProcessHeapAllocate");
    EXPECT_FALSE(crash::WriteStartupDiagnostics(nullptr));
    EXPECT_TRUE(fakes::DiagnosticsIo().files.empty());
    for (const std::string& call : fakes::CallLog()) EXPECT_EQ(call.find("CreateDiagnosticsFile"), std::string::npos);

    fakes::ResetAll();
    fakes::FailNext("CreateDiagnosticsFile");
    EXPECT_FALSE(crash::WriteStartupDiagnostics(nullptr));
    EXPECT_EQ(fakes::DiagnosticsIo().writes, 0);
    EXPECT_TRUE(fakes::DiagnosticsIo().heapBlocks.empty());
    EXPECT_EQ(fakes::CallLog().back(), "ProcessHeapFree");
}

}  // namespace
