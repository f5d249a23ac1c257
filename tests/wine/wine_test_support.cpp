#include "tests/wine/wine_test_support.h"

#include <thread>
#include <vector>

namespace winetest {

std::string BinDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

std::string ModulePath() { return BinDirectory() + "setupaid.dll"; }

LPTOP_LEVEL_EXCEPTION_FILTER CurrentProcessFilter() {
    LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(current);
    return current;
}

ProcessResult RunProcess(const std::string& application, const std::string& commandLine, DWORD timeoutMs,
                         const std::string& currentDirectory) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    result.started = CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                    currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                                    &process) != FALSE;
    CloseHandle(writeEnd);
    if (!result.started) {
        CloseHandle(readEnd);
        return result;
    }
    // A reader thread drains the pipe so a chatty child never blocks, while this thread enforces the limit.
    std::string raw;
    std::thread reader([&] {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) raw.append(chunk, got);
    });
    result.finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!result.finished) {
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    reader.join();
    CloseHandle(readEnd);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (char c : raw)
        if (c != '\r') result.output.push_back(c);
    return result;
}

}  // namespace winetest
