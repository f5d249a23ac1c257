// A host that behaves like a crashing installer, for the crash tests.
//
//   crash_host [--parent] [--temp DIR] [--setting NAME=VALUE]... [--no-module | --unload] FAULT [main|thread|eight]
//
// It points TMP/TEMP at DIR, writes the crash handler's settings to the registry (deleting the key first, so
// unnamed settings are absent), loads setupaid.dll from its own folder as an installer would, and raises FAULT:
//   read-av  write-av  divide  illegal  raise (code 0xE0001234)  stack-overflow
// on the main thread, on one secondary thread, or on eight threads at the same moment. --no-module faults without
// ever loading the module; --unload loads and unloads it first.
// --parent runs all of that in a child process, bounded to 90 s, and prints "exit 0x%08X" with the child's full
// exit code (a Unix exit status keeps only its low byte), or "timeout".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kSettingsKey[] = "Software\\Tarvelon Software\\TarvelonDiagnostics\\CrashHandler";
constexpr DWORD kCustomCode = 0xE0001234;

volatile int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile int seven = 7;  // both operands unknown, so the compiler must emit a real division

// Recurses until the stack is gone; the depth test can never end the recursion, but the compiler cannot know.
int Recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (depth == -seven) return pad[0];
    return Recurse(depth + 1) + pad[0];
}

void Fault(const std::string& fault) {
    if (fault == "read-av") std::printf("%d\n", *nowhere);
    else if (fault == "write-av") *nowhere = 1;
    else if (fault == "divide") std::printf("%d\n", seven / zero);
    else if (fault == "illegal") asm volatile("ud2");
    else if (fault == "raise") RaiseException(kCustomCode, 0, 0, nullptr);
    else if (fault == "stack-overflow") std::printf("%d\n", Recurse(0));
    std::fprintf(stderr, "crash_host: unknown fault '%s'\n", fault.c_str());
    ExitProcess(2);
}

std::string OwnFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of('\\') + 1);
}

int RunAsParent(const std::string& childArguments) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = "crash_host " + childArguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(self, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("not started %lu\n", GetLastError());
        return 1;
    }
    if (WaitForSingleObject(process.hProcess, 90000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        std::printf("timeout\n");
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit 0x%08lX\n", code);
    return 0;
}

void WriteSettings(const std::vector<std::pair<std::string, DWORD>>& settings) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (settings.empty()) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "crash_host: cannot write the settings\n");
        ExitProcess(2);
    }
    for (const auto& [name, value] : settings)
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

struct FaultingThreads {
    HANDLE start;
    std::string fault;
};

DWORD WINAPI FaultWhenStarted(void* context) {
    auto* threads = static_cast<FaultingThreads*>(context);
    WaitForSingleObject(threads->start, INFINITE);
    Fault(threads->fault);
    return 0;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<std::string, DWORD>> settings;
    std::string temp, where = "main", fault, childArguments;
    bool parent = false, noModule = false, unload = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--parent") {
            parent = true;
            continue;
        }
        childArguments += " " + Quoted(argument);
        if (argument == "--temp" && i + 1 < argc) {
            temp = argv[++i];
            childArguments += " " + Quoted(temp);
        } else if (argument == "--setting" && i + 1 < argc) {
            const std::string pair = argv[++i];
            childArguments += " " + Quoted(pair);
            const size_t equals = pair.find('=');
            if (equals == std::string::npos) return 2;
            settings.emplace_back(pair.substr(0, equals), std::strtoul(pair.c_str() + equals + 1, nullptr, 0));
        } else if (argument == "--no-module") {
            noModule = true;
        } else if (argument == "--unload") {
            unload = true;
        } else if (fault.empty()) {
            fault = argument;
        } else {
            where = argument;
        }
    }
    if (fault.empty()) {
        std::fprintf(stderr, "usage: crash_host [--parent] [--temp DIR] [--setting NAME=VALUE]... "
                             "[--no-module | --unload] FAULT [main|thread|eight]\n");
        return 2;
    }
    if (parent) return RunAsParent(childArguments);

    if (!temp.empty()) {
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
    }
    WriteSettings(settings);
    if (!noModule) {
        HMODULE module = LoadLibraryA((OwnFolder() + "setupaid.dll").c_str());
        if (!module) {
            std::fprintf(stderr, "crash_host: cannot load setupaid.dll (%lu)\n", GetLastError());
            return 2;
        }
        if (unload) FreeLibrary(module);
    }
    std::fflush(stdout);

    if (where == "main") Fault(fault);
    FaultingThreads threads{CreateEventA(nullptr, TRUE, FALSE, nullptr), fault};
    const int count = where == "eight" ? 8 : 1;
    HANDLE handles[8];
    for (int i = 0; i < count; ++i) handles[i] = CreateThread(nullptr, 0, FaultWhenStarted, &threads, 0, nullptr);
    Sleep(50);
    SetEvent(threads.start);
    WaitForMultipleObjects(count, handles, TRUE, INFINITE);
    std::fprintf(stderr, "crash_host: the faulting threads ended without ending the process\n");
    return 3;
}
