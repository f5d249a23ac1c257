// tvdinfo's decoder and reports on files that the module's own writer produced (against the fake platform), on
// every truncation of them, and on files broken in each way the decoder names.
#include "tools/tvdinfo/tvd_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "crash/crash_state.h"
#include "crash/startup_diagnostics.h"
#include "tests/fakes/fake_diagnostics_io.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fault_scene.h"
#include "tools/tvdinfo/tvd_report.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tvdinfo::Status;

constexpr uint64_t kFaultAddress = 0x00401234;
constexpr uint64_t kAccessedAddress = 0x10;

void Put(Bytes& bytes, size_t offset, uint64_t value, unsigned size) {
    for (unsigned i = 0; i < size; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A write access violation at kFaultAddress with the stack pointer 0x40 bytes below StackBase.
struct Scene : fakes::FaultScene {
    Scene(const tvd::Layout& layout, uint64_t stackSize) : FaultScene(layout, stackSize) {
        const bool wide = &layout == &tvd::kLayoutX64;
        const tvd::ExceptionRecordOffsets& at = wide ? tvd::kExceptionX64 : tvd::kExceptionX86;
        std::fill(exceptionRecord.begin(), exceptionRecord.end(), 0);
        Put(exceptionRecord, at.code, 0xC0000005, 4);
        Put(exceptionRecord, at.address, kFaultAddress, layout.wordSize);
        Put(exceptionRecord, at.numberParameters, 2, 4);
        Put(exceptionRecord, at.information, 1, layout.wordSize);
        Put(exceptionRecord, at.information + layout.wordSize, kAccessedAddress, layout.wordSize);
        stackPointer = limit + stackSize - 0x40;
        Put(context, wide ? tvd::x64::kRip : tvd::x86::kEip, kFaultAddress, layout.wordSize);
        Put(context, wide ? tvd::x64::kRsp : tvd::x86::kEsp, stackPointer, layout.wordSize);
        Put(context, wide ? tvd::x64::kRax : tvd::x86::kEax, 0xAABBCCDD, layout.wordSize);
        Put(threadBlock, tvd::kWordThreadId * layout.wordSize, 0x1234, layout.wordSize);
    }
    uint64_t stackPointer;
};

Bytes WriteFileFor(Scene& scene) {
    fakes::ResetAll();
    crash::ResetCrashState();
    scene.MakeReadable();
    const platform::DiagnosticsFile file = crash::CreateTvdFile();
    crash::WriteTvdRecords(&scene.pointers, file, scene.layout);
    platform::CloseDiagnosticsFile(file);
    return fakes::OnlyFile();
}

tvdinfo::Decoded Decode(const Bytes& file) { return tvdinfo::Decode(file.data(), file.size()); }

std::string Text(const Bytes& file, bool hex = false) {
    return tvdinfo::FormatReport(Decode(file), "crash.tvd", {false, hex});
}
std::string Json(const Bytes& file) { return tvdinfo::FormatReport(Decode(file), "crash.tvd", {true, false}); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TvdDecoder, ReadsACompleteThirtyTwoBitFile) {
    Scene scene(tvd::kLayoutX86, 0x3000);
    const Bytes file = WriteFileFor(scene);
    ASSERT_EQ(file.size(), 13176u);
    const tvdinfo::Decoded decoded = Decode(file);
    EXPECT_EQ(decoded.status, Status::kComplete);
    EXPECT_EQ(decoded.layout, &tvd::kLayoutX86);
    ASSERT_EQ(decoded.records.size(), 4u);
    const size_t offsets[] = {24, 108, 828, 884};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(decoded.records[i].offset, offsets[i]);
        EXPECT_EQ(decoded.records[i].tag, 0xC000 + i);
    }
    ASSERT_TRUE(decoded.exception && decoded.context && decoded.threadBlock && decoded.stack);
    EXPECT_EQ(decoded.exception->code, 0xC0000005u);
    EXPECT_EQ(decoded.exception->address, kFaultAddress);
    EXPECT_EQ(decoded.exception->numberParameters, 2u);
    EXPECT_EQ(decoded.exception->parameters[1], kAccessedAddress);
    EXPECT_EQ(decoded.context->instructionPointer, kFaultAddress);
    EXPECT_EQ(decoded.context->stackPointer, scene.stackPointer);
    EXPECT_EQ(decoded.threadBlock->stackLimit(), scene.limit);
    EXPECT_EQ(decoded.stack->start, scene.limit);
    EXPECT_EQ(decoded.stack->end, scene.limit + 0x3000);
    EXPECT_TRUE(decoded.stack->whole);
    EXPECT_EQ(tvdinfo::ExitCodeFor(decoded), 0);
}

TEST(TvdDecoder, ReadsASixtyFourBitFileWithACutStack) {
    Scene scene(tvd::kLayoutX64, 0x20000);
    const tvdinfo::Decoded decoded = Decode(WriteFileFor(scene));
    EXPECT_EQ(decoded.status, Status::kComplete);
    EXPECT_EQ(decoded.layout, &tvd::kLayoutX64);
    ASSERT_TRUE(decoded.exception && decoded.context && decoded.stack);
    EXPECT_EQ(decoded.exception->address, kFaultAddress);
    EXPECT_EQ(decoded.context->stackPointer, scene.stackPointer);
    EXPECT_EQ(decoded.stack->length, 0xFFFC);
    EXPECT_EQ(decoded.stack->end, scene.limit + 0x20000);
    EXPECT_EQ(decoded.stack->start, scene.limit + 0x20000 - 0xFFFC);
    EXPECT_FALSE(decoded.stack->whole);
}

TEST(TvdReport, SaysWhatFaultedWhereAndWhereTheStackWas) {
    Scene scene(tvd::kLayoutX86, 0x3000);
    const std::string text = Text(WriteFileFor(scene));
    EXPECT_TRUE(Contains(text, "code       0xC0000005 EXCEPTION_ACCESS_VIOLATION")) << text;
    EXPECT_TRUE(Contains(text, "address    0x00401234")) << text;
    EXPECT_TRUE(Contains(text, "access     write of address 0x00000010")) << text;
    EXPECT_TRUE(Contains(text, "eax    0xAABBCCDD")) << text;
    EXPECT_TRUE(Contains(text, "ThreadId                  0x00001234")) << text;
    EXPECT_TRUE(Contains(text, "(12288 bytes, the whole committed stack)")) << text;
    EXPECT_TRUE(Contains(text, "lies inside the range")) << text;
    EXPECT_TRUE(Contains(text, "heuristic")) << text;
    EXPECT_TRUE(Contains(text, "Result: complete")) << text;

    const std::string json = Json(WriteFileFor(scene));
    EXPECT_TRUE(Contains(json, "\"status\":\"complete\"")) << json;
    EXPECT_TRUE(Contains(json, "\"code\":\"0xC0000005\",\"name\":\"EXCEPTION_ACCESS_VIOLATION\"")) << json;
    EXPECT_TRUE(Contains(json, "\"access\":{\"kind\":\"write\",\"address\":\"0x00000010\"}")) << json;
    EXPECT_TRUE(Contains(json, "\"stackPointerInside\":true")) << json;
    EXPECT_TRUE(Contains(json, "\"error\":null")) << json;
    EXPECT_EQ(json.back(), '\n');
}

TEST(TvdReport, DumpsEachRecordInHexOnRequest) {
    Scene scene(tvd::kLayoutX86, 0x3000);
    const Bytes file = WriteFileFor(scene);
    EXPECT_FALSE(Contains(Text(file), "0000001C "));
    // The exception record's data starts at offset 28 with the code 05 00 00 C0.
    EXPECT_TRUE(Contains(Text(file, true), "      0000001C  05 00 00 C0")) << Text(file, true);
}

TEST(TvdReport, ListsStackWordsNearTheFaultButNotPointersIntoTheStack) {
    Scene scene(tvd::kLayoutX64, 0x3000);
    const Bytes written = WriteFileFor(scene);
    Bytes file = written;
    const size_t stackData = 24 + 4 + 152 + 4 + 1232 + 4 + 104 + 4;
    std::fill(file.begin() + stackData, file.end(), 0);
    Put(file, stackData + 0x100, kFaultAddress + 0x40, 8);   // a return address just past the fault
    Put(file, stackData + 0x108, scene.limit + 0x200, 8);     // a saved frame pointer: into the stack
    Put(file, stackData + 0x110, kFaultAddress + (32u << 20), 8);  // too far away
    const auto candidates = tvdinfo::CodeAddressCandidates(Decode(file));
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].location, scene.limit + 0x100);
    EXPECT_EQ(candidates[0].value, kFaultAddress + 0x40);
    EXPECT_TRUE(Contains(Text(file), "0x0000000000401274 (fault +0x40)")) << Text(file);
}

// A file may end after the header or after any record (the writer stops where memory is unreadable); ending
// anywhere else is reported with the offset of the record (or header) it ends in, after what came before it.
TEST(TvdDecoder, TellsEveryTruncationOfACompleteFileApart) {
    for (const tvd::Layout* layout : {&tvd::kLayoutX86, &tvd::kLayoutX64}) {
        Scene scene(*layout, 0x3000);
        const Bytes file = WriteFileFor(scene);
        const tvdinfo::Decoded whole = Decode(file);
        ASSERT_EQ(whole.records.size(), 4u);
        std::vector<size_t> boundaries = {24};
        for (const tvdinfo::Record& record : whole.records) boundaries.push_back(record.offset + 4 + record.length);
        for (size_t size = 0; size <= file.size(); ++size) {
            SCOPED_TRACE(std::string(layout->name) + " truncated to " + std::to_string(size));
            const tvdinfo::Decoded decoded = tvdinfo::Decode(file.data(), size);
            size_t recordsBefore = 0;
            while (recordsBefore < 4 && boundaries[recordsBefore + 1] <= size) ++recordsBefore;
            if (size == 0) {
                EXPECT_EQ(decoded.status, Status::kNotDiagnostics);
                EXPECT_EQ(tvdinfo::ExitCodeFor(decoded), 2);
            } else if (std::find(boundaries.begin(), boundaries.end(), size) != boundaries.end()) {
                EXPECT_EQ(decoded.status, Status::kComplete);
                EXPECT_EQ(decoded.records.size(), recordsBefore);
            } else {
                EXPECT_EQ(decoded.status, Status::kMalformed);
                EXPECT_EQ(tvdinfo::ExitCodeFor(decoded), 1);
                EXPECT_EQ(decoded.records.size(), recordsBefore);
                const size_t expectedOffset = size < 24 ? size : whole.records[recordsBefore].offset;
                EXPECT_EQ(decoded.errorOffset, expectedOffset);
                EXPECT_TRUE(Contains(decoded.error, std::to_string(expectedOffset))) << decoded.error;
            }
            if (size % 61 == 0 || size < 900) {
                const std::string text = tvdinfo::FormatReport(decoded, "t.tvd", {false, true});
                if (decoded.status == Status::kMalformed) {
                    EXPECT_TRUE(Contains(text, "Error at offset " + std::to_string(decoded.errorOffset))) << text;
                }
                tvdinfo::FormatReport(decoded, "t.tvd", {true, true});
            }
        }
    }
}

TEST(TvdDecoder, AFileWithoutTheExceptionRecordStartsWithTheContext) {
    Scene scene(tvd::kLayoutX86, 0x3000);
    fakes::ResetAll();
    scene.MakeReadable(true, false);
    const platform::DiagnosticsFile file = crash::CreateTvdFile();
    crash::WriteTvdRecords(&scene.pointers, file, scene.layout);
    const tvdinfo::Decoded decoded = Decode(fakes::OnlyFile());
    EXPECT_EQ(decoded.status, Status::kComplete);
    EXPECT_FALSE(decoded.exception);
    ASSERT_EQ(decoded.records.size(), 3u);
    EXPECT_EQ(decoded.records[0].tag, 0xC001);
    EXPECT_EQ(decoded.records[0].offset, 24u);
}

TEST(TvdDecoder, RefusesFilesWithoutTheSignature) {
    const std::string others[] = {"MZ\x90", "TarvelonDiagnostic!\0\1\1\1\0", std::string(30, '\0'),
                                  std::string("TarvelonDiagnostics", 19) + "X"};
    for (const std::string& other : others) {
        const Bytes file(other.begin(), other.end());
        const tvdinfo::Decoded decoded = Decode(file);
        EXPECT_EQ(decoded.status, Status::kNotDiagnostics) << other;
        EXPECT_EQ(tvdinfo::ExitCodeFor(decoded), 2);
        EXPECT_TRUE(Contains(Text(file), "not a startup diagnostics file"));
    }
}

// Each broken file: which bytes to change in a complete x86 file, where the decoder must say it went wrong, and
// a word of its message.
TEST(TvdDecoder, NamesTheOffsetWhereAMalformedFileGoesWrong) {
    struct Case {
        const char* what;
        size_t at;
        uint64_t value;
        unsigned size;
        size_t errorOffset;
        const char* message;
        size_t recordsBefore;
    };
    const Case cases[] = {
        {"header byte", 21, 2, 1, 21, "header byte at offset 21", 0},
        {"unknown tag", 108, 0xC007, 2, 108, "unknown record tag 0xC007", 1},
        {"repeated tag", 108, 0xC000, 2, 108, "follows record 0xC000", 1},
        {"out of order", 828, 0xC001, 2, 828, "follows record 0xC001", 2},
        {"length of no layout", 110, 700, 2, 108, "fits no layout", 1},
        {"mixed layouts", 110, 1232, 2, 108, "the records before it are x86", 1},
        {"empty stack", 886, 0, 2, 884, "not 1 to 65532", 3},
        {"stack over the cut", 886, 0xFFFD, 2, 884, "not 1 to 65532", 3},
        {"stack unlike its thread block", 886, 0x2000, 2, 884, "calls for 12288", 3},
        {"limit above base", 828 + 4 + 8, 0xFFFFFFFF, 4, 884, "is smaller", 3},
    };
    Scene scene(tvd::kLayoutX86, 0x3000);
    const Bytes complete = WriteFileFor(scene);
    for (const Case& c : cases) {
        Bytes file = complete;
        Put(file, c.at, c.value, c.size);
        const tvdinfo::Decoded decoded = Decode(file);
        EXPECT_EQ(decoded.status, Status::kMalformed) << c.what;
        EXPECT_EQ(decoded.errorOffset, c.errorOffset) << c.what;
        EXPECT_TRUE(Contains(decoded.error, c.message)) << c.what << ": " << decoded.error;
        EXPECT_EQ(decoded.records.size(), c.recordsBefore) << c.what;
        EXPECT_TRUE(Contains(Json(file), "\"error\":{\"offset\":" + std::to_string(c.errorOffset))) << c.what;
    }
}

TEST(TvdDecoder, NamesWellKnownExceptionCodesOnly) {
    EXPECT_STREQ(tvdinfo::ExceptionName(0xC0000005), "EXCEPTION_ACCESS_VIOLATION");
    EXPECT_STREQ(tvdinfo::ExceptionName(0xC00000FD), "EXCEPTION_STACK_OVERFLOW");
    EXPECT_STREQ(tvdinfo::ExceptionName(0xC0000094), "EXCEPTION_INT_DIVIDE_BY_ZERO");
    EXPECT_EQ(tvdinfo::ExceptionName(0xE0DEAD01), nullptr);
}

}  // namespace
