#include "tests/fakes/fake_storage.h"

#include <cstdlib>
#include <string>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
StorageState state;
// Blocks outlive a test when a module-level value holds them; only the counts start again.
ResetRegistration reset{[] {
    state.allocations = 0;
    state.refuseFrom = -1;
}};
}  // namespace

StorageState& Storage() { return state; }

}  // namespace fakes

namespace platform {

void* AllocateStorage(size_t bytes) {
    fakes::Record("AllocateStorage(" + std::to_string(bytes) + ")");
    if (fakes::ShouldFail("AllocateStorage")) return nullptr;
    const int refuseFrom = fakes::Storage().refuseFrom;
    if (refuseFrom >= 0 && fakes::Storage().allocations >= refuseFrom) return nullptr;
    ++fakes::Storage().allocations;
    ++fakes::Storage().liveBlocks;
    return std::malloc(bytes ? bytes : 1);
}

void ReleaseStorage(void* block) {
    if (!block) return;
    --fakes::Storage().liveBlocks;
    std::free(block);
}

}  // namespace platform
