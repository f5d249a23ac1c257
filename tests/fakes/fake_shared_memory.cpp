#include "tests/fakes/fake_shared_memory.h"

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_threads.h"

namespace fakes {
namespace {
SharedMemoryState state;
std::map<platform::Handle, std::string> blockOfHandle;
std::map<void*, std::string> blockOfView;

void DiscardWhenUnused(const std::string& name) {
    auto found = state.blocks.find(name);
    if (found != state.blocks.end() && found->second.handles == 0 && found->second.views == 0)
        state.blocks.erase(found);
}
void ForgetClosedMapping(platform::Handle handle) {
    auto found = blockOfHandle.find(handle);
    if (found == blockOfHandle.end()) return;
    const std::string name = found->second;
    blockOfHandle.erase(found);
    --state.blocks[name].handles;
    DiscardWhenUnused(name);
}

const bool hooked = (AddCloseHook(ForgetClosedMapping), true);

ResetRegistration reset{[] {
    state = SharedMemoryState{};
    blockOfHandle.clear();
    blockOfView.clear();
}};

}  // namespace

SharedMemoryState& SharedMemory() { return state; }

void HoldSharedBlock(const std::string& name, std::vector<uint8_t> bytes) {
    SharedBlock& block = state.blocks[name];
    block.bytes = std::move(bytes);
    block.handles = 1;  // the other process's handle, never closed here
}

}  // namespace fakes

namespace platform {

Handle CreateSharedBlock(const char* name, uint32_t size) {
    fakes::Record("CreateSharedBlock(" + std::string(name) + ", " + std::to_string(size) + ")");
    if (fakes::ShouldFail("CreateSharedBlock")) return nullptr;
    fakes::SharedBlock& block = fakes::state.blocks[name];
    if (block.bytes.empty()) block.bytes.assign(size, 0);
    ++block.handles;
    Handle handle = fakes::OpenFakeHandle(std::string("mapping ") + name);
    fakes::blockOfHandle[handle] = name;
    return handle;
}

void* MapSharedBlock(Handle blockHandle) {
    fakes::Record("MapSharedBlock(" + fakes::HandleName(blockHandle) + ")");
    if (fakes::ShouldFail("MapSharedBlock")) return nullptr;
    auto found = fakes::blockOfHandle.find(blockHandle);
    if (found == fakes::blockOfHandle.end()) return nullptr;
    fakes::SharedBlock& block = fakes::state.blocks[found->second];
    ++block.views;
    void* view = block.bytes.data();
    fakes::blockOfView[view] = found->second;
    return view;
}

void UnmapSharedBlock(void* view) {
    if (!view) return;
    auto found = fakes::blockOfView.find(view);
    fakes::Record("UnmapSharedBlock(" + (found == fakes::blockOfView.end() ? std::string("?") : found->second) +
                  ")");
    if (found == fakes::blockOfView.end()) return;
    const std::string name = found->second;
    fakes::blockOfView.erase(found);
    --fakes::state.blocks[name].views;
    fakes::DiscardWhenUnused(name);
}

}  // namespace platform

