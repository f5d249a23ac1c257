#include "tests/fakes/fake_dump_library.h"

#include <algorithm>

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_threads.h"

namespace fakes {
namespace {
DumpLibraryState state;
std::map<platform::Handle, std::string> fileOfHandle;
ResetRegistration reset{[] {
    state = DumpLibraryState{};
    fileOfHandle.clear();
}};

const auto kLibrary = reinterpret_cast<platform::ModuleHandle>(uintptr_t{0xD1B0000});

std::vector<uint32_t> ThreadsKept(const platform::DumpCallbackInformation* callback) {
    std::vector<uint32_t> threads = state.processThreads;
    const uint32_t caller = platform::CurrentThreadId();
    if (std::find(threads.begin(), threads.end(), caller) == threads.end()) threads.push_back(caller);
    std::vector<uint32_t> kept;
    for (uint32_t thread : threads) {
        if (callback && callback->routine) {
            platform::DumpCallbackInput input{Threads().processId, platform::CurrentProcess(), 0, thread};
            char output[64] = {};
            if (state.asksIncludeThread) {
                input.callbackType = platform::kIncludeThreadCallback;
                if (!callback->routine(callback->parameter, &input, output)) continue;
            }
            input.callbackType = platform::kThreadCallback;
            if (!callback->routine(callback->parameter, &input, output)) continue;
        }
        kept.push_back(thread);
    }
    return kept;
}

int32_t SETUPAID_STDCALL FakeMiniDumpWriteDump(platform::Handle process, uint32_t processId, platform::Handle file,
                                               uint32_t dumpType,
                                               const platform::DumpExceptionInformation* exceptionInformation,
                                               const void* userStreams,
                                               const platform::DumpCallbackInformation* callbackInformation) {
    DumpCall call{};
    call.callingThreadId = platform::CurrentThreadId();
    call.process = process;
    call.processId = processId;
    call.file = HandleName(file);
    call.dumpType = dumpType;
    call.hasExceptionInformation = exceptionInformation != nullptr;
    if (exceptionInformation) {
        call.exceptionThreadId = exceptionInformation->threadId;
        call.exceptionPointers = exceptionInformation->exceptionPointers;
        call.clientPointers = exceptionInformation->clientPointers;
    }
    call.hasUserStreams = userStreams != nullptr;
    call.threadsKept = ThreadsKept(callbackInformation);
    const int32_t answer = state.answers.empty() ? state.defaultAnswer : state.answers.front();
    if (!state.answers.empty()) state.answers.pop_front();
    Record("MiniDumpWriteDump(" + call.file + ") -> " + std::to_string(answer));
    if (answer != 0) {
        std::string text = "threads";
        for (uint32_t thread : call.threadsKept) text += " " + std::to_string(thread);
        state.files[fileOfHandle[file]] = text;
    } else {
        platform::SetLastError(state.failedCallError);
    }
    state.calls.push_back(std::move(call));
    return answer;
}

void ForgetClosedFile(platform::Handle handle) { fileOfHandle.erase(handle); }
const bool hooked = (AddCloseHook(ForgetClosedFile), true);

}  // namespace

DumpLibraryState& DumpLibrary() { return state; }

}  // namespace fakes

namespace platform {

ModuleHandle LoadedLibrary(const char* name) {
    fakes::Record("LoadedLibrary(" + std::string(name) + ")");
    return fakes::state.alreadyLoaded ? fakes::kLibrary : nullptr;
}

ModuleHandle LoadSystemLibrary(const char* name) {
    fakes::Record("LoadSystemLibrary(" + std::string(name) + ")");
    return fakes::state.inSystemDirectory ? fakes::kLibrary : nullptr;
}

MiniDumpWriteDumpEntry FindMiniDumpWriteDump(ModuleHandle library) {
    fakes::Record("FindMiniDumpWriteDump()");
    return library == fakes::kLibrary && fakes::state.hasEntry ? fakes::FakeMiniDumpWriteDump : nullptr;
}

Handle CreateDumpFile(const char* path) {
    fakes::Record("CreateDumpFile(" + std::string(path) + ")");
    if (fakes::ShouldFail("CreateDumpFile")) {
        SetLastError(fakes::state.createFileError);
        return nullptr;
    }
    fakes::state.files[path] = "";
    Handle handle = fakes::OpenFakeHandle("file " + std::string(path));
    fakes::fileOfHandle[handle] = path;
    return handle;
}

}  // namespace platform
