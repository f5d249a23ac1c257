// Fake program starts and module paths. `reporter`, when set, runs inside StartProcess as the started program
// would (before the starter waits for it): it sees the shared blocks as they were when it started.
// Injected failure: "StartProcess" (returns false, no handles).
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace fakes {

struct StartedProgram {
    std::string application;
    std::string commandLine;
};

struct ProcessesState {
    std::string modulePath = "C:\\Program Files\\Host\\setupaid.dll";
    std::string hostPath = "C:\\Program Files\\Host\\host.exe";
    std::set<std::string> existingFiles;  // what FileExists answers true for
    std::vector<StartedProgram> started;
    std::function<void()> reporter;
};

ProcessesState& Processes();

}  // namespace fakes
