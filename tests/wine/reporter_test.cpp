// Report.exe on its own: how it answers without a job, with a job it cannot do, and with a job it can (a dump
// of this test process, read back here: the hand-off thread left out, the exception taken from our memory).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "crash/reporter_block.h"
#include "tests/wine/wine_test_support.h"

namespace {

std::string ReporterPath() { return winetest::BinDirectory() + "Report.exe"; }

size_t LineCount(const std::string& text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// The block as the module publishes it, held open by this test for the reporter's whole run.
class PublishedBlock {
public:
    PublishedBlock() {
        mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, crash::kReporterBlockSize,
                                      crash::kReporterBlockName);
        if (mapping_) view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    }
    ~PublishedBlock() {
        if (view_) UnmapViewOfFile(view_);
        if (mapping_) CloseHandle(mapping_);
    }
    crash::ReporterBlock* operator->() { return static_cast<crash::ReporterBlock*>(view_); }
    bool ok() const { return view_ != nullptr; }

private:
    HANDLE mapping_ = nullptr;
    void* view_ = nullptr;
};

uint32_t U32(const std::vector<char>& bytes, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

struct DumpFacts {
    bool valid = false;
    std::vector<uint32_t> threads;
    uint32_t exceptionThread = 0;
    uint32_t exceptionCode = 0;
};

// The few things this test needs from the published minidump format: the thread list and the exception stream.
DumpFacts ReadDump(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DumpFacts facts;
    facts.valid = bytes.size() > 32 && std::memcmp(bytes.data(), "MDMP", 4) == 0;
    if (!facts.valid) return facts;
    const uint32_t streams = U32(bytes, 8), directory = U32(bytes, 12);
    for (uint32_t i = 0; i < streams; ++i) {
        const uint32_t type = U32(bytes, directory + 12 * i), rva = U32(bytes, directory + 12 * i + 8);
        if (type == 3)  // ThreadListStream: a count, then MINIDUMP_THREAD records of 48 bytes
            for (uint32_t t = 0; t < U32(bytes, rva); ++t) facts.threads.push_back(U32(bytes, rva + 4 + 48 * t));
        if (type == 6) {  // ExceptionStream: ThreadId, alignment, then the EXCEPTION_RECORD
            facts.exceptionThread = U32(bytes, rva);
            facts.exceptionCode = U32(bytes, rva + 8);
        }
    }
    return facts;
}

TEST(Reporter, ExplainsItselfAndExitsWithTwoWithoutDashD) {
    for (const char* commandLine : {"Report", "Report --help", "Report -x", "Report -d extra"}) {
        const auto run = winetest::RunProcess(ReporterPath(), commandLine);
        ASSERT_TRUE(run.finished) << commandLine;
        EXPECT_EQ(run.exitCode, 2u) << commandLine;
        EXPECT_NE(run.output.find("\"Report -d\""), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("MiniDumperParams"), std::string::npos) << run.output;
    }
}

TEST(Reporter, SaysInOneLineThatThereIsNoJob) {
    const auto run = winetest::RunProcess(ReporterPath(), "Report -d");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(LineCount(run.output), 1u) << run.output;
    EXPECT_EQ(run.output.rfind("Report: ", 0), 0u) << run.output;
}

TEST(Reporter, AnswersZeroForAProcessItCannotOpen) {
    PublishedBlock block;
    ASSERT_TRUE(block.ok());
    block->result = 5;
    block->processId = 0x7FFFFFF0;  // no such process
    block->dumpType = 0;
    std::strcpy(block->dumpPath, "C:\\never-written.dmp");
    const auto run = winetest::RunProcess(ReporterPath(), "Report -d");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(block->result, 0u);
    EXPECT_EQ(LineCount(run.output), 1u) << run.output;
    EXPECT_EQ(GetFileAttributesA("C:\\never-written.dmp"), INVALID_FILE_ATTRIBUTES);
}

TEST(Reporter, DumpsTheProcessWithItsExceptionAndWithoutTheHandOffThread) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "reporter-test.dmp";
    DeleteFileA(path.c_str());

    // A thread that stands for the module's dump worker: it waits while the reporter runs.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD handOffThread = 0;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&] {
        handOffThread = GetCurrentThreadId();
        SetEvent(ready);
        WaitForSingleObject(release, INFINITE);
    });
    WaitForSingleObject(ready, INFINITE);

    // The exception, as the crashing process holds it: addresses in this process.
    EXCEPTION_RECORD record{};
    record.ExceptionCode = 0xE0ABCDEF;
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_POINTERS pointers{&record, &context};

    PublishedBlock block;
    ASSERT_TRUE(block.ok());
    block->processId = GetCurrentProcessId();
    block->handOffThreadId = handOffThread;
    block->faultingThreadId = GetCurrentThreadId();
    block->dumpType = 0;
    std::strcpy(block->dumpPath, path.c_str());
    block->exceptionPointers = reinterpret_cast<uintptr_t>(&pointers);

    const auto run = winetest::RunProcess(ReporterPath(), "Report -d", 120000);
    SetEvent(release);
    worker.join();
    CloseHandle(release);
    CloseHandle(ready);

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(block->result, 1u);
    const DumpFacts dump = ReadDump(path);
    ASSERT_TRUE(dump.valid);
    EXPECT_EQ(dump.exceptionThread, GetCurrentThreadId());
    EXPECT_EQ(dump.exceptionCode, 0xE0ABCDEFu);
    EXPECT_NE(std::find(dump.threads.begin(), dump.threads.end(), GetCurrentThreadId()), dump.threads.end());
    EXPECT_EQ(std::find(dump.threads.begin(), dump.threads.end(), handOffThread), dump.threads.end());
    DeleteFileA(path.c_str());
}

}  // namespace
