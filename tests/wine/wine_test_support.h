// Helpers shared by the Wine suites.
#pragma once

#include <windows.h>

#include <string>

namespace winetest {

// The folder holding the running test program (and setupaid.dll, modcall.exe, the hosts), with a trailing '\'.
std::string BinDirectory();

// The full path of setupaid.dll beside the test program.
std::string ModulePath();

// Owns a loaded module; frees it when it goes out of scope.
class LoadedModule {
public:
    explicit LoadedModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
    ~LoadedModule() { reset(); }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    HMODULE get() const { return module_; }
    void reset() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    template <typename Function>
    Function lookup(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

// The unhandled-exception filter in force now, read without leaving a change behind.
LPTOP_LEVEL_EXCEPTION_FILTER CurrentProcessFilter();

struct ProcessResult {
    bool started = false;
    bool finished = false;  // false: killed after the time limit
    DWORD exitCode = 0;
    std::string output;     // stdout and stderr together, CRLF turned into LF
};

// Runs `commandLine` (its program named by full path) with a time limit and collects what it printed.
ProcessResult RunProcess(const std::string& application, const std::string& commandLine, DWORD timeoutMs = 60000,
                         const std::string& currentDirectory = "");

}  // namespace winetest
