// The startup diagnostics writer on a real access violation: a vectored handler of this test hands the system's
// own exception pointers to the writer on the faulting thread, as the crash filter does, and tvdinfo reads the
// file it left in the temporary directory.
#include "crash/startup_diagnostics.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "platform/structured_guard.h"
#include "tests/wine/wine_test_support.h"

namespace {

// What the handler saw and did, for the thread that armed it.
struct Capture {
    DWORD threadId = 0;
    bool written = false;
    DWORD code = 0;
    uint64_t address = 0;
    uint64_t stackPointer = 0;
};
Capture capture;

LONG CALLBACK WriteDiagnosticsOnFault(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        GetCurrentThreadId() != capture.threadId)
        return EXCEPTION_CONTINUE_SEARCH;
    capture.threadId = 0;  // once
    capture.code = pointers->ExceptionRecord->ExceptionCode;
    capture.address = reinterpret_cast<uintptr_t>(pointers->ExceptionRecord->ExceptionAddress);
    capture.stackPointer = pointers->ContextRecord->Rsp;
    capture.written =
        crash::WriteStartupDiagnostics(reinterpret_cast<platform::ExceptionPointers*>(pointers));
    // The structured-exception guard around the fault takes it from here.
    return EXCEPTION_CONTINUE_SEARCH;
}

volatile int* volatile nowhere = nullptr;
void WriteThroughNull(void*) { *nowhere = 1; }

std::string TempDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, path);
    return std::string(path, length);
}

std::set<std::string> DiagnosticsFilesIn(const std::string& directory) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "Tarvelon *.tvd").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string NameFor(const SYSTEMTIME& time) {
    char name[64];
    std::snprintf(name, sizeof name, "Tarvelon %04d_%02d_%02d %02d_%02d_%02d_%03d.tvd", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    return name;
}

uint64_t JsonAddress(const std::string& json, const std::string& key) {
    const std::regex pattern("\"" + key + "\":\"0x([0-9A-F]+)\"");
    std::smatch match;
    if (!std::regex_search(json, match, pattern)) {
        ADD_FAILURE() << key << " missing from " << json;
        return 0;
    }
    return std::stoull(match[1].str(), nullptr, 16);
}

TEST(StartupDiagnosticsFile, RecordsARealAccessViolationThatTvdinfoReads) {
    const std::string directory = TempDirectory();
    const std::set<std::string> before = DiagnosticsFilesIn(directory);
    PVOID handler = AddVectoredExceptionHandler(1, WriteDiagnosticsOnFault);
    ASSERT_NE(handler, nullptr);

    SYSTEMTIME start, end;
    GetLocalTime(&start);
    bool faulted = false;
    // A fresh thread, so that its stack pointer lies within the 0xFFFC bytes nearest its StackBase.
    std::thread([&] {
        capture.threadId = GetCurrentThreadId();
        faulted = !platform::RunGuarded(WriteThroughNull, nullptr);
    }).join();
    GetLocalTime(&end);
    RemoveVectoredExceptionHandler(handler);

    ASSERT_TRUE(faulted);
    EXPECT_EQ(capture.code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_TRUE(capture.written);

    std::set<std::string> added;
    for (const std::string& name : DiagnosticsFilesIn(directory))
        if (!before.count(name)) added.insert(name);
    ASSERT_EQ(added.size(), 1u);
    const std::string name = *added.begin();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(Tarvelon \d{4}_\d{2}_\d{2} \d{2}_\d{2}_\d{2}_\d{3}\.tvd)")))
        << name;
    // Same fixed-width fields, so the names sort as the times do.
    EXPECT_LE(NameFor(start), name);
    EXPECT_GE(NameFor(end), name);
    const std::string path = directory + name;

    const std::string tvdinfo = winetest::BinDirectory() + "tvdinfo.exe";
    const winetest::ProcessResult json = winetest::RunProcess(tvdinfo, "tvdinfo --json \"" + path + "\"");
    ASSERT_TRUE(json.finished);
    EXPECT_EQ(json.exitCode, 0u) << json.output;
    EXPECT_NE(json.output.find("\"status\":\"complete\""), std::string::npos) << json.output;
    EXPECT_NE(json.output.find("\"layout\":\"x86_64\""), std::string::npos) << json.output;
    EXPECT_NE(json.output.find("\"code\":\"0xC0000005\",\"name\":\"EXCEPTION_ACCESS_VIOLATION\""), std::string::npos)
        << json.output;
    EXPECT_NE(json.output.find("\"access\":{\"kind\":\"write\",\"address\":\"0x0000000000000000\"}"),
              std::string::npos)
        << json.output;
    EXPECT_EQ(JsonAddress(json.output, "address"), capture.address);
    EXPECT_EQ(JsonAddress(json.output, "rsp"), capture.stackPointer);
    const uint64_t stackStart = JsonAddress(json.output, "start"), stackEnd = JsonAddress(json.output, "end");
    EXPECT_LE(stackStart, capture.stackPointer);
    EXPECT_LT(capture.stackPointer, stackEnd);
    EXPECT_NE(json.output.find("\"stackPointerInside\":true"), std::string::npos) << json.output;

    const winetest::ProcessResult text = winetest::RunProcess(tvdinfo, "tvdinfo \"" + path + "\"");
    EXPECT_EQ(text.exitCode, 0u);
    EXPECT_NE(text.output.find("code       0xC0000005 EXCEPTION_ACCESS_VIOLATION"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("lies inside the range"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("Result: complete"), std::string::npos) << text.output;

    DeleteFileA(path.c_str());
}

TEST(StartupDiagnosticsFile, NullPointersLeaveTheHeaderAlone) {
    const std::string directory = TempDirectory();
    const std::set<std::string> before = DiagnosticsFilesIn(directory);
    EXPECT_FALSE(crash::WriteStartupDiagnostics(nullptr));
    std::set<std::string> added;
    for (const std::string& name : DiagnosticsFilesIn(directory))
        if (!before.count(name)) added.insert(name);
    ASSERT_EQ(added.size(), 1u);
    const std::string path = directory + *added.begin();
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes));
    EXPECT_EQ(attributes.nFileSizeLow, 24u);
    const winetest::ProcessResult result =
        winetest::RunProcess(winetest::BinDirectory() + "tvdinfo.exe", "tvdinfo \"" + path + "\"");
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_NE(result.output.find("Records: none"), std::string::npos) << result.output;
    DeleteFileA(path.c_str());
}

}  // namespace
