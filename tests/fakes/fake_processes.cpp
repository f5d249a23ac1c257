#include "tests/fakes/fake_processes.h"

#include <cstring>

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_threads.h"

namespace fakes {
namespace {
ProcessesState state;
ResetRegistration reset{[] { state = ProcessesState{}; }};

uint32_t CopyPath(const std::string& path, char* out, uint32_t size) {
    if (path.empty() || path.size() + 1 > size) return 0;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return static_cast<uint32_t>(path.size());
}
}  // namespace

ProcessesState& Processes() { return state; }

}  // namespace fakes

namespace platform {

bool StartProcess(const char* application, char* commandLine, StartedProcess* started) {
    fakes::Record("StartProcess(" + std::string(application ? application : "null") + ", " +
                  std::string(commandLine ? commandLine : "null") + ")");
    if (fakes::ShouldFail("StartProcess")) return false;
    fakes::state.started.push_back({application ? application : "", commandLine ? commandLine : ""});
    started->process = fakes::OpenFakeHandle("process");
    started->thread = fakes::OpenFakeHandle("process thread");
    if (fakes::state.reporter) fakes::state.reporter();
    return true;
}

uint32_t ModuleFilePath(const void*, char* out, uint32_t size) {
    return fakes::CopyPath(fakes::state.modulePath, out, size);
}

uint32_t HostExecutablePath(char* out, uint32_t size) { return fakes::CopyPath(fakes::state.hostPath, out, size); }

bool FileExists(const char* path) {
    fakes::Record("FileExists(" + std::string(path) + ")");
    return fakes::state.existingFiles.count(path) != 0;
}

}  // namespace platform
