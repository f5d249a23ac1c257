#include "tests/fakes/fake_threads.h"

#include <mutex>
#include <thread>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {

// Worker threads of runOnRealThread touch this state too.
std::recursive_mutex guard;
ThreadsState state;
std::map<platform::Handle, std::string> handles;
std::map<uint32_t, uint32_t> lastErrors;
std::map<platform::Handle, std::thread> running;
uintptr_t nextHandle = 0x1000;
thread_local uint32_t currentThreadId = 0;
std::vector<void (*)(platform::Handle)>& CloseHooks() {
    static std::vector<void (*)(platform::Handle)> hooks;
    return hooks;
}  // 0: the test's own thread

ResetRegistration reset{[] {
    std::lock_guard<std::recursive_mutex> lock(guard);
    for (auto& entry : running)
        if (entry.second.joinable()) entry.second.join();
    running.clear();
    state = ThreadsState{};
    handles.clear();
    lastErrors.clear();
    nextHandle = 0x1000;
    currentThreadId = 0;
}};

uint32_t Me() { return currentThreadId ? currentThreadId : state.mainThreadId; }

}  // namespace

ThreadsState& Threads() { return state; }

uint32_t LastErrorOf(uint32_t threadId) {
    std::lock_guard<std::recursive_mutex> lock(guard);
    return lastErrors[threadId];
}

void SetLastErrorOf(uint32_t threadId, uint32_t error) {
    std::lock_guard<std::recursive_mutex> lock(guard);
    lastErrors[threadId] = error;
}

platform::Handle OpenFakeHandle(const std::string& what) {
    std::lock_guard<std::recursive_mutex> lock(guard);
    nextHandle += 4;
    auto handle = reinterpret_cast<platform::Handle>(nextHandle);
    handles[handle] = what;
    return handle;
}

std::string HandleName(platform::Handle handle) {
    std::lock_guard<std::recursive_mutex> lock(guard);
    auto found = handles.find(handle);
    return found == handles.end() ? "" : found->second;
}

void AddCloseHook(void (*hook)(platform::Handle handle)) { CloseHooks().push_back(hook); }

std::vector<std::string> OpenHandleNames() {
    std::lock_guard<std::recursive_mutex> lock(guard);
    std::vector<std::string> names;
    for (const auto& entry : handles) names.push_back(entry.second);
    return names;
}

}  // namespace fakes

namespace platform {

uint32_t CurrentProcessId() { return fakes::Threads().processId; }
uint32_t CurrentThreadId() { return fakes::Me(); }
Handle CurrentProcess() { return reinterpret_cast<Handle>(~uintptr_t{0}); }

Handle StartThread(ThreadProcedure procedure, void* argument) {
    uint32_t id = 0;
    Handle handle = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(fakes::guard);
        if (fakes::ShouldFail("StartThread")) {
            fakes::Record("StartThread() failed");
            fakes::lastErrors[fakes::Me()] = fakes::state.startThreadError;
            return nullptr;
        }
        id = fakes::state.nextThreadId++;
        fakes::state.startedThreadIds.push_back(id);
        handle = fakes::OpenFakeHandle("thread " + std::to_string(id));
        fakes::Record("StartThread() -> " + std::to_string(id));
    }
    auto run = [procedure, argument, id] {
        const uint32_t outer = fakes::currentThreadId;
        fakes::currentThreadId = id;
        const uint32_t exitCode = procedure(argument);
        fakes::currentThreadId = outer;
        std::lock_guard<std::recursive_mutex> lock(fakes::guard);
        fakes::state.exitCodes[id] = exitCode;
    };
    if (fakes::state.runOnRealThread) {
        std::thread worker(run);
        std::lock_guard<std::recursive_mutex> lock(fakes::guard);
        fakes::running[handle] = std::move(worker);
    } else {
        run();
    }
    return handle;
}

void WaitForEnd(Handle object) {
    std::thread ending;
    {
        std::lock_guard<std::recursive_mutex> lock(fakes::guard);
        auto found = fakes::running.find(object);
        if (found != fakes::running.end()) {
            ending = std::move(found->second);
            fakes::running.erase(found);
        }
    }
    if (ending.joinable()) ending.join();
    fakes::Record("WaitForEnd(" + fakes::HandleName(object) + ")");
}

void CloseHandle(Handle handle) {
    if (!handle) return;
    std::lock_guard<std::recursive_mutex> lock(fakes::guard);
    fakes::Record("CloseHandle(" + fakes::HandleName(handle) + ")");
    for (auto hook : fakes::CloseHooks()) hook(handle);
    fakes::handles.erase(handle);
}

uint32_t LastError() { return fakes::LastErrorOf(fakes::Me()); }
void SetLastError(uint32_t error) { fakes::SetLastErrorOf(fakes::Me(), error); }

}  // namespace platform
