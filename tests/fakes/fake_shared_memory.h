// Fake named shared memory: blocks by name, zero-filled when created. A block lives while a handle or a view
// of it is open, like the system's. Injected failures: "CreateSharedBlock", "MapSharedBlock" (return null).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/shared_memory.h"

namespace fakes {

struct SharedBlock {
    std::vector<uint8_t> bytes;
    int handles = 0;
    int views = 0;
};

struct SharedMemoryState {
    std::map<std::string, SharedBlock> blocks;
};

SharedMemoryState& SharedMemory();

// An object of that name that some other process holds open (it stays after the module lets go).
void HoldSharedBlock(const std::string& name, std::vector<uint8_t> bytes);

}  // namespace fakes
